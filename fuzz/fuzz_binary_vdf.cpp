// libFuzzer target for the reader of Valve's binary key-values (Steam's shortcuts.vdf): any bytes
// must be read or refused without a crash, an out-of-bounds read, runaway recursion or an
// allocation out of proportion to the input; what is read, written back, reads the same.
// fuzz-sources: src/discovery/BinaryKeyValues.cpp src/discovery/ValveKeyValues.cpp

#include "discovery/BinaryKeyValues.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using dk3::discovery::BinaryKeyValue;

std::size_t depthOf(const BinaryKeyValue& node) {
    std::size_t deepest = 0;
    for (const BinaryKeyValue& child : node.children) {
        if (child.type == BinaryKeyValue::Type::Map)
            deepest = std::max(deepest, 1 + depthOf(child));
    }
    return deepest;
}

std::size_t countOf(const BinaryKeyValue& node) {
    std::size_t count = node.children.size();
    for (const BinaryKeyValue& child : node.children)
        count += countOf(child);
    return count;
}

void write(const BinaryKeyValue& map, std::string& out) {
    for (const BinaryKeyValue& child : map.children) {
        out.push_back(static_cast<char>(child.type));
        out += child.key;
        out.push_back('\0');
        switch (child.type) {
        case BinaryKeyValue::Type::Map:
            write(child, out);
            break;
        case BinaryKeyValue::Type::String:
            out += child.text;
            out.push_back('\0');
            break;
        case BinaryKeyValue::Type::Int32:
        case BinaryKeyValue::Type::Float:
            for (int i = 0; i < 4; ++i)
                out.push_back(static_cast<char>((child.bits >> (8 * i)) & 0xFF));
            break;
        case BinaryKeyValue::Type::UInt64:
        case BinaryKeyValue::Type::Int64:
            for (int i = 0; i < 8; ++i)
                out.push_back(static_cast<char>((child.bits >> (8 * i)) & 0xFF));
            break;
        }
    }
    out.push_back('\x08');
}

bool sameTree(const BinaryKeyValue& a, const BinaryKeyValue& b) {
    if (a.key != b.key || a.type != b.type || a.text != b.text || a.bits != b.bits ||
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
    const auto root = parseBinaryKeyValues(input);
    if (!root)
        return 0;
    if (depthOf(*root) > kMaxBinaryKeyValueDepth || countOf(*root) > kMaxBinaryKeyValueNodes)
        std::abort();
    std::string bytes;
    write(*root, bytes);
    // Every byte was part of a node, so the tree written back is the input itself.
    if (bytes != input)
        std::abort();
    const auto again = parseBinaryKeyValues(bytes);
    if (!again || !sameTree(*root, *again))
        std::abort();
    if (const BinaryKeyValue* shortcuts = root->find("shortcuts"))
        (void)shortcuts->find("0");
    return 0;
}
