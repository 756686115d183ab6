#include "discovery/BinaryKeyValues.h"

#include "discovery/ValveKeyValues.h"

namespace dk3::discovery {

namespace {

constexpr std::uint8_t kEndOfMap = 0x08;

class Reader {
public:
    explicit Reader(std::string_view data) : data_(data) {}

    bool atEnd() const { return pos_ == data_.size(); }

    bool byte(std::uint8_t& out) {
        if (pos_ >= data_.size())
            return false;
        out = static_cast<std::uint8_t>(data_[pos_++]);
        return true;
    }

    bool text(std::string& out) {
        const std::size_t end = data_.find('\0', pos_);
        if (end == std::string_view::npos)
            return false;
        out.assign(data_.substr(pos_, end - pos_));
        pos_ = end + 1;
        return true;
    }

    bool littleEndian(std::size_t bytes, std::uint64_t& out) {
        if (data_.size() - pos_ < bytes)
            return false;
        out = 0;
        for (std::size_t i = 0; i < bytes; ++i)
            out |= static_cast<std::uint64_t>(static_cast<std::uint8_t>(data_[pos_ + i]))
                   << (8 * i);
        pos_ += bytes;
        return true;
    }

    // The nodes of a map up to its end byte.
    bool map(BinaryKeyValue& into, std::size_t depth) {
        if (depth > kMaxBinaryKeyValueDepth)
            return false;
        for (;;) {
            std::uint8_t type = 0;
            if (!byte(type))
                return false;
            if (type == kEndOfMap)
                return true;
            if (++nodes_ > kMaxBinaryKeyValueNodes)
                return false;
            BinaryKeyValue node;
            if (!text(node.key))
                return false;
            switch (type) {
            case 0x00:
                node.type = BinaryKeyValue::Type::Map;
                if (!map(node, depth + 1))
                    return false;
                break;
            case 0x01:
                node.type = BinaryKeyValue::Type::String;
                if (!text(node.text))
                    return false;
                break;
            case 0x02:
            case 0x03:
                node.type =
                    type == 0x02 ? BinaryKeyValue::Type::Int32 : BinaryKeyValue::Type::Float;
                if (!littleEndian(4, node.bits))
                    return false;
                break;
            case 0x07:
            case 0x0A:
                node.type =
                    type == 0x07 ? BinaryKeyValue::Type::UInt64 : BinaryKeyValue::Type::Int64;
                if (!littleEndian(8, node.bits))
                    return false;
                break;
            default:
                return false; // pointers, wide texts and colours have no place in these files
            }
            into.children.push_back(std::move(node));
        }
    }

private:
    std::string_view data_;
    std::size_t pos_ = 0;
    std::size_t nodes_ = 0;
};

} // namespace

const BinaryKeyValue* BinaryKeyValue::find(std::string_view childKey) const {
    for (const BinaryKeyValue& child : children) {
        if (equalsIgnoringAsciiCase(child.key, childKey))
            return &child;
    }
    return nullptr;
}

std::optional<BinaryKeyValue> parseBinaryKeyValues(std::string_view data) {
    Reader reader(data);
    BinaryKeyValue root;
    if (!reader.map(root, 0) || !reader.atEnd())
        return std::nullopt;
    return root;
}

} // namespace dk3::discovery
