/* A stand-in of the game, run under Wine by the tests: it finds its files the way the game does
 * and prints every setting the tuning utility writes, read the way the game reads them.
 *
 *   - the game folder is INSTALL_DIR of HKLM\Software\Brannholt Productions Software AG\Draskel III
 *     in the 32-bit registry view (the game is a 32-bit program; this 64-bit stand-in asks for
 *     that view with KEY_WOW64_32KEY);
 *   - the documents folder is SHGetFolderPathA(CSIDL_PERSONAL);
 *   - values are read with GetPrivateProfileStringA into 256-byte buffers and with
 *     GetPrivateProfileIntA, as the game reads them.
 *
 * Output, one record a line, every byte outside printable ASCII (and the backslash) written as
 * \xHH so that the reader sees the exact bytes:
 *   install <Windows path>       documents <Windows path>
 *   install-unix <Linux path>    documents-unix <Linux path>
 *   value <file> <section> <key> <text> <integer>     (fields separated by TAB)
 * <file> is engine, debug or user; a missing key reads as the text <missing> and the integer
 * -77777. The exit code is 0 when both the game folder and the documents folder were found. */

#include <windows.h>
#include <shlobj.h>
#include <stdio.h>
#include <string.h>
#include <io.h>
#include <fcntl.h>

static void put_escaped(const char *text) {
    for (const unsigned char *c = (const unsigned char *)text; *c; ++c) {
        if (*c >= 0x20 && *c < 0x7F && *c != '\\')
            putchar(*c);
        else
            printf("\\x%02X", *c);
    }
}

/* The Linux path of a Windows path, through Wine's own mapping (kernel32 exports it under Wine). */
typedef char *(CDECL *unix_name_fn)(LPCWSTR);

static void put_unix_path(const char *label, const char *windows_path) {
    WCHAR wide[MAX_PATH];
    unix_name_fn unix_name =
        (unix_name_fn)(void *)GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
    printf("%s ", label);
    if (unix_name && MultiByteToWideChar(CP_ACP, 0, windows_path, -1, wide, MAX_PATH)) {
        char *path = unix_name(wide);
        if (path) {
            put_escaped(path);
            HeapFree(GetProcessHeap(), 0, path);
        }
    }
    putchar('\n');
}

struct setting {
    const char *file, *section, *key;
};

/* Every key the tuning utility writes: the main save, the cache save and the advanced save. */
static const struct setting settings[] = {
    {"user", "Options.Video", "Resolution.Width"},
    {"user", "Options.Video", "Resolution.Height"},
    {"user", "Options.Video", "Resolution.RefreshRate"},
    {"user", "Options.Details", "Performance"},
    {"user", "Options.Custom", "DistanceHigh"},
    {"user", "Options.Custom", "DistanceLow"},
    {"user", "Options.Custom", "ResourceCache"},
    {"user", "Options.Custom", "ObjectDetails"},
    {"user", "Options.Custom", "ShaderQuality"},
    {"user", "Options.Custom", "TextureQuality"},
    {"user", "Options.Custom", "TextureFilter"},
    {"user", "Options.Custom", "VegetationQuality"},
    {"user", "Options.Custom", "ShadowQuality"},
    {"user", "Options.Custom", "PostProcessing"},
    {"engine", "Engine.Setup", "Render.EnableVegetationRendering"},
    {"engine", "Engine.Setup", "VegetationAdmin.Quality"},
    {"engine", "Engine.Setup", "VegetationAdmin.ViewRange"},
    {"engine", "Engine.Setup", "Shader.EnableTreeShadows"},
    {"engine", "Engine.Setup", "Shader.EnableStaticShadows"},
    {"engine", "Engine.Setup", "Shader.EnableDetailShadows"},
    {"engine", "Engine.Setup", "AnimationBlending.PhysicControllerDistance"},
    {"engine", "Engine.Setup", "Animation.MaxRagDolls"},
    {"engine", "Engine.Setup", "Entity.ROI"},
    {"engine", "Engine.Setup", "Render.EnableLowpolyRendering"},
    {"engine", "Engine.Setup", "Render.MeshLoDQuality"},
    {"engine", "Engine.Setup", "Render.AnimationLoDQuality"},
    {"engine", "Engine.Setup", "Render.ImageLoDQuality"},
    {"engine", "Engine.Setup", "Cache.SizeImage"},
    {"engine", "Engine.Setup", "Cache.SizeMaterial"},
    {"engine", "Engine.Setup", "Cache.SizeMesh"},
    {"engine", "Engine.Setup", "Cache.SizeSound"},
    {"engine", "Engine.Setup", "Cache.SizeCollisionMesh"},
    {"engine", "Engine.Setup", "Cache.SizeAnimation"},
    {"engine", "Engine.Setup", "Cache.SizeSpeedTree"},
    {"engine", "Option.Sliders", "ResourceCache.u32ImageMaxMemUsage_Low"},
    {"engine", "Option.Sliders", "ResourceCache.u32MaterialMaxMemUsage_Low"},
    {"engine", "Option.Sliders", "ResourceCache.u32MeshMaxMemUsage_Low"},
    {"engine", "Option.Sliders", "ResourceCache.u32SoundMaxMemUsage_Low"},
    {"engine", "Option.Sliders", "ResourceCache.u32CollisionMeshMaxMemUsage_Low"},
    {"engine", "Option.Sliders", "ResourceCache.u32AnimationMaxMemUsage_Low"},
    {"engine", "Option.Sliders", "ResourceCache.u32SpeedTreeMaxMemUsage_Low"},
    {"engine", "Option.Sliders", "ResourceCache.u32ImageMaxMemUsage_Medium"},
    {"engine", "Option.Sliders", "ResourceCache.u32MaterialMaxMemUsage_Medium"},
    {"engine", "Option.Sliders", "ResourceCache.u32MeshMaxMemUsage_Medium"},
    {"engine", "Option.Sliders", "ResourceCache.u32SoundMaxMemUsage_Medium"},
    {"engine", "Option.Sliders", "ResourceCache.u32CollisionMeshMaxMemUsage_Medium"},
    {"engine", "Option.Sliders", "ResourceCache.u32AnimationMaxMemUsage_Medium"},
    {"engine", "Option.Sliders", "ResourceCache.u32SpeedTreeMaxMemUsage_Medium"},
    {"engine", "Option.Sliders", "ResourceCache.u32ImageMaxMemUsage_High"},
    {"engine", "Option.Sliders", "ResourceCache.u32MaterialMaxMemUsage_High"},
    {"engine", "Option.Sliders", "ResourceCache.u32MeshMaxMemUsage_High"},
    {"engine", "Option.Sliders", "ResourceCache.u32SoundMaxMemUsage_High"},
    {"engine", "Option.Sliders", "ResourceCache.u32CollisionMeshMaxMemUsage_High"},
    {"engine", "Option.Sliders", "ResourceCache.u32AnimationMaxMemUsage_High"},
    {"engine", "Option.Sliders", "ResourceCache.u32SpeedTreeMaxMemUsage_High"},
    {"engine", "Option.Sliders", "ResourceCache.u32ImageMaxMemUsage_TextureQualityHigh"},
    {"engine", "Option.Sliders", "ObjectDetails.fRangedBaseLoDOffset_Low"},
    {"engine", "Option.Sliders", "DistanceHigh.fFarClippingPlane_Low"},
    {"engine", "Option.Sliders", "DistanceLow.fFarClippingPlaneLowPolyMesh_Low"},
    {"engine", "Option.Sliders", "ObjectDetails.fRangedBaseLoDOffset_Medium"},
    {"engine", "Option.Sliders", "DistanceHigh.fFarClippingPlane_Medium"},
    {"engine", "Option.Sliders", "DistanceLow.fFarClippingPlaneLowPolyMesh_Medium"},
    {"engine", "Option.Sliders", "ObjectDetails.fRangedBaseLoDOffset_High"},
    {"engine", "Option.Sliders", "DistanceHigh.fFarClippingPlane_High"},
    {"engine", "Option.Sliders", "DistanceLow.fFarClippingPlaneLowPolyMesh_High"},
    {"engine", "Engine.Setup", "FpS.Average"},
    {"engine", "Engine.Setup", "FpS.Min"},
    {"engine", "Engine.Setup", "FpS.Max"},
    {"engine", "Engine.Setup", "Render.PrefetchGridCellSize"},
    {"engine", "Camera", "fMaxDistToPlayer"},
    {"engine", "Engine.Setup", "Render.DOFStart"},
    {"engine", "Engine.Setup", "Render.DOFEnd"},
    {"engine", "Engine.Setup", "Render.GlobalVisualLoDFactor"},
    {"debug", "PropertySets", "PlayerMemory.Enabled"},
    {"engine", "Game", "TestMode"},
};

int main(void) {
    char install[256] = {0};
    char documents[MAX_PATH] = {0};
    char engine[512], debug[512], user[512];
    DWORD size = sizeof(install);
    HKEY key;
    int status = 0;

    _setmode(_fileno(stdout), _O_BINARY);
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Brannholt Productions Software AG\\Draskel III", 0,
                      KEY_READ | KEY_WOW64_32KEY, &key) == ERROR_SUCCESS) {
        if (RegQueryValueExA(key, "INSTALL_DIR", NULL, NULL, (BYTE *)install, &size) != ERROR_SUCCESS)
            install[0] = 0;
        install[sizeof(install) - 1] = 0;
        RegCloseKey(key);
    }
    if (FAILED(SHGetFolderPathA(NULL, CSIDL_PERSONAL, NULL, SHGFP_TYPE_CURRENT, documents)))
        documents[0] = 0;
    if (!install[0] || !documents[0])
        status = 1;

    printf("install ");
    put_escaped(install);
    printf("\ndocuments ");
    put_escaped(documents);
    putchar('\n');
    put_unix_path("install-unix", install);
    put_unix_path("documents-unix", documents);

    snprintf(engine, sizeof(engine), "%s\\Ini\\dk3e.ini", install);
    snprintf(debug, sizeof(debug), "%s\\Ini\\debug.ini", install);
    snprintf(user, sizeof(user), "%s\\draskel3\\UserOptions.ini", documents);
    for (size_t i = 0; i < sizeof(settings) / sizeof(settings[0]); ++i) {
        const struct setting *s = &settings[i];
        const char *file = strcmp(s->file, "engine") == 0 ? engine
                           : strcmp(s->file, "debug") == 0 ? debug
                                                           : user;
        char text[256];
        GetPrivateProfileStringA(s->section, s->key, "<missing>", text, sizeof(text), file);
        printf("value\t%s\t%s\t%s\t", s->file, s->section, s->key);
        put_escaped(text);
        printf("\t%d\n", (int)GetPrivateProfileIntA(s->section, s->key, -77777, file));
    }
    fflush(stdout);
    return status;
}
