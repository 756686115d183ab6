// libFuzzer target for the reader of Steam's key-value text (libraryfolders.vdf, app manifests):
// any bytes must be read or refused without a crash, an out-of-bounds read, runaway recursion or
// an allocation out of proportion to the input.
// fuzz-sources: src/discovery/ValveKeyValues.cpp

#include "discovery/ValveKeyValues.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using dk3::discovery::KeyValueNode;

std::size_t depthOf(const KeyValueNode& node) {
    std::size_t deepest = 0;
    for (const KeyValueNode& child : node.children) {
        if (child.isBlock)
            deepest = std::max(deepest, 1 + depthOf(child));
    }
    return deepest;
}

// Writes a tree back as text in the reader's own syntax.
void write(const KeyValueNode& node, std::string& out) {
    const auto quoted = [&](const std::string& text) {
        out.push_back('"');
        for (const char c : text) {
            if (c == '"' || c == '\\')
                out.push_back('\\');
            out.push_back(c);
        }
        out.push_back('"');
    };
    for (const KeyValueNode& child : node.children) {
        quoted(child.key);
        if (child.isBlock) {
            out += " {\n";
            write(child, out);
            out += "}\n";
        } else {
            out.push_back(' ');
            quoted(child.value);
            out.push_back('\n');
        }
    }
}

bool sameTree(const KeyValueNode& a, const KeyValueNode& b) {
    if (a.key != b.key || a.value != b.value || a.isBlock != b.isBlock ||
        a.children.size() != b.children.size())
        return false;
    for (std::size_t i = 0; i < a.children.size(); ++i) {
        if (!sameTree(a.children[i], b.children[i]))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace dk3::discovery;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto root = parseKeyValues(input);
    if (!root)
        return 0;
    if (!root->isBlock || depthOf(*root) > kMaxKeyValueDepth)
        std::abort();
    // What was read, written back with every character escaped that needs it, reads the same.
    std::string text;
    write(*root, text);
    const auto again = parseKeyValues(text);
    if (!again || !sameTree(*root, *again))
        std::abort();
    (void)root->find("libraryfolders");
    (void)root->text("appid");
    return 0;
}
