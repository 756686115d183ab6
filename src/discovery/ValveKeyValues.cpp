#include "discovery/ValveKeyValues.h"

#include <algorithm>

namespace dk3::discovery {

namespace {

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {
        if (text_.substr(0, 3) == "\xEF\xBB\xBF")
            pos_ = 3;
    }

    // Reads pairs into block until its closing brace (nested) or the end of the text (top).
    bool readPairs(KeyValueNode& block, std::size_t depth) {
        for (;;) {
            if (!skipBlanks())
                return false;
            if (pos_ == text_.size())
                return depth == 0;
            if (text_[pos_] == '}') {
                ++pos_;
                return depth > 0;
            }
            KeyValueNode child;
            if (!readString(child.key) || !skipBlanks() || pos_ == text_.size())
                return false;
            if (text_[pos_] == '{') {
                if (depth + 1 > kMaxKeyValueDepth)
                    return false;
                ++pos_;
                child.isBlock = true;
                if (!readPairs(child, depth + 1))
                    return false;
            } else if (!readString(child.value)) {
                return false;
            }
            block.children.push_back(std::move(child));
        }
    }

private:
    // Skips white space and // comments. A NUL byte means a binary file: refused.
    bool skipBlanks() {
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == '\0')
                return false;
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') {
                ++pos_;
            } else if (c == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '/') {
                const std::size_t end = text_.find('\n', pos_);
                pos_ = end == std::string_view::npos ? text_.size() : end + 1;
            } else {
                break;
            }
        }
        return true;
    }

    // A quoted string with its escapes, or a bare word (Steam accepts those for keys and values).
    bool readString(std::string& out) {
        if (pos_ >= text_.size())
            return false;
        if (text_[pos_] != '"')
            return readBareWord(out);
        ++pos_;
        while (pos_ < text_.size()) {
            const char c = text_[pos_++];
            if (c == '\0')
                return false;
            if (c == '"')
                return true;
            if (c != '\\') {
                out.push_back(c);
                continue;
            }
            if (pos_ >= text_.size())
                return false;
            switch (const char e = text_[pos_++]) {
            case '\\':
            case '"':
                out.push_back(e);
                break;
            case 'n':
                out.push_back('\n');
                break;
            case 't':
                out.push_back('\t');
                break;
            case '\0':
                return false;
            default:
                // Steam writes no other escape; a stray backslash is kept as it stands.
                out.push_back('\\');
                out.push_back(e);
                break;
            }
        }
        return false; // the closing quote is missing
    }

    bool readBareWord(std::string& out) {
        const std::size_t start = pos_;
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v' ||
                c == '"' || c == '{' || c == '}')
                break;
            if (c == '\0' || c == '\\')
                return false;
            ++pos_;
        }
        if (pos_ == start)
            return false;
        out.assign(text_.substr(start, pos_ - start));
        return true;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

} // namespace

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

const KeyValueNode* KeyValueNode::find(std::string_view childKey) const {
    for (const KeyValueNode& child : children) {
        if (equalsIgnoringAsciiCase(child.key, childKey))
            return &child;
    }
    return nullptr;
}

std::optional<std::string_view> KeyValueNode::text(std::string_view childKey) const {
    const KeyValueNode* child = find(childKey);
    if (!child || child->isBlock)
        return std::nullopt;
    return std::string_view(child->value);
}

std::optional<KeyValueNode> parseKeyValues(std::string_view text) {
    KeyValueNode root;
    root.isBlock = true;
    Reader reader(text);
    if (!reader.readPairs(root, 0))
        return std::nullopt;
    return root;
}

} // namespace dk3::discovery
