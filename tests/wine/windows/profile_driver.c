/* Runs a batch of profile operations through Wine's own GetPrivateProfileStringA,
 * GetPrivateProfileIntA and WritePrivateProfileStringA, for the differential test of our INI
 * engine: one Wine process for thousands of operations.
 *
 * Usage: profile_driver.exe <batch file> <answer file>
 * Each line of the batch is one operation, its fields separated by TAB; every byte outside
 * printable ASCII, the TAB and the backslash is written as \xHH. The answer file gets one line per
 * operation, escaped the same way:
 *   F <path>                                 -> F            (the file the next operations use)
 *   R <section> <key> <default> <size>       -> R <count> <text>
 *   I <section> <key> <default>              -> I <integer>
 *   W <section> <key> <value>                -> W <1 or 0>
 *   D                                        -> D <bytes of the file>, or D- when it is missing */

#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static char *unescape(char *text) {
    char *out = text;
    for (char *in = text; *in; ++in) {
        if (in[0] == '\\' && in[1] == 'x' && in[2] && in[3]) {
            char hex[3] = {in[2], in[3], 0};
            *out++ = (char)strtoul(hex, NULL, 16);
            in += 3;
        } else {
            *out++ = *in;
        }
    }
    *out = 0;
    return text;
}

static void put_escaped(FILE *out, const char *bytes, size_t size) {
    for (size_t i = 0; i < size; ++i) {
        const unsigned char c = (unsigned char)bytes[i];
        if (c >= 0x20 && c < 0x7F && c != '\\')
            fputc(c, out);
        else
            fprintf(out, "\\x%02X", c);
    }
}

/* Splits line at TABs into at most max fields. */
static int split(char *line, char **fields, int max) {
    int count = 0;
    fields[count++] = line;
    for (char *c = line; *c && count < max; ++c) {
        if (*c == '\t') {
            *c = 0;
            fields[count++] = c + 1;
        }
    }
    return count;
}

int main(int argc, char **argv) {
    static char line[1 << 16];
    static char text[1 << 16];
    static char path[4096] = "";
    if (argc != 3)
        return 2;
    FILE *in = fopen(argv[1], "rb");
    FILE *out = fopen(argv[2], "wb");
    if (!in || !out)
        return 2;
    while (fgets(line, sizeof(line), in)) {
        line[strcspn(line, "\r\n")] = 0;
        char *f[6];
        const int n = split(line, f, 6);
        for (int i = 0; i < n; ++i)
            unescape(f[i]);
        switch (f[0][0]) {
        case 'F':
            snprintf(path, sizeof(path), "%s", n > 1 ? f[1] : "");
            fputs("F\n", out);
            break;
        case 'R': {
            const unsigned size = n > 4 ? (unsigned)strtoul(f[4], NULL, 10) : 0;
            memset(text, 0x55, sizeof(text));
            const DWORD count = GetPrivateProfileStringA(f[1], f[2], f[3], text, size, path);
            fprintf(out, "R\t%lu\t", (unsigned long)count);
            /* What the caller finds in its buffer: the text up to its terminating zero. */
            put_escaped(out, text, size ? strnlen(text, size) : 0);
            fputc('\n', out);
            break;
        }
        case 'I':
            fprintf(out, "I\t%d\n", (int)GetPrivateProfileIntA(f[1], f[2], atoi(f[3]), path));
            break;
        case 'W':
            fprintf(out, "W\t%d\n", WritePrivateProfileStringA(f[1], f[2], f[3], path) ? 1 : 0);
            break;
        case 'D': {
            HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                      OPEN_EXISTING, 0, NULL);
            if (file == INVALID_HANDLE_VALUE) {
                fputs("D-\n", out);
                break;
            }
            DWORD size = 0;
            ReadFile(file, text, sizeof(text), &size, NULL);
            CloseHandle(file);
            fputs("D\t", out);
            put_escaped(out, text, size);
            fputc('\n', out);
            break;
        }
        default:
            fputs("?\n", out);
            break;
        }
    }
    fclose(out);
    return 0;
}
