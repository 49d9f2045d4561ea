#include "services/PlistBounds.h"

#include <algorithm>

namespace plenwick {
namespace {

constexpr std::string_view binaryMagic = "bplist00";
constexpr std::size_t binaryTrailerSize = 32;

std::uint64_t bigEndian(const unsigned char* p, std::size_t size) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < size; ++i) value = (value << 8) | p[i];
    return value;
}

// Walks a binary list from its root the way libplist will, reference by reference:
// an object reached through several references is walked, and paid for, each time,
// because the library builds a copy of it for each. A cycle never ends, so the depth
// budget catches it.
class BinaryWalk {
public:
    explicit BinaryWalk(std::string_view bytes)
        : data_(reinterpret_cast<const unsigned char*>(bytes.data())), size_(bytes.size()),
          payloadLeft_(bytes.size() + maxPlistExpansion) {}

    bool run() {
        if (size_ < binaryMagic.size() + binaryTrailerSize) return false;
        const unsigned char* trailer = data_ + size_ - binaryTrailerSize;
        offsetSize_ = trailer[6];
        refSize_ = trailer[7];
        objectCount_ = bigEndian(trailer + 8, 8);
        const std::uint64_t root = bigEndian(trailer + 16, 8);
        const std::uint64_t table = bigEndian(trailer + 24, 8);
        const std::size_t trailerStart = size_ - binaryTrailerSize;
        if (offsetSize_ < 1 || offsetSize_ > 8 || refSize_ < 1 || refSize_ > 8) return false;
        if (objectCount_ == 0 || root >= objectCount_) return false;
        if (table < binaryMagic.size() || table >= trailerStart) return false;
        if (objectCount_ > (trailerStart - table) / offsetSize_) return false;
        offsetTable_ = static_cast<std::size_t>(table);
        return visit(root, 1);
    }

private:
    bool visit(std::uint64_t index, std::size_t depth) {
        if (depth > maxPlistDepth || objectsLeft_ == 0 || index >= objectCount_) return false;
        --objectsLeft_;
        const std::uint64_t offset = bigEndian(data_ + offsetTable_ + index * offsetSize_, offsetSize_);
        // Objects lie between the header and the offset table.
        if (offset < binaryMagic.size() || offset >= offsetTable_) return false;
        std::size_t pos = static_cast<std::size_t>(offset);
        const unsigned marker = data_[pos++];
        const unsigned type = marker >> 4;
        const unsigned info = marker & 0xF;
        std::uint64_t count = info;
        const bool sized = type == 0x4 || type == 0x5 || type == 0x6 || type == 0xA || type == 0xC || type == 0xD;
        if (sized && info == 0xF) {
            // A longer count follows as an integer object of 1, 2, 4 or 8 bytes.
            if (pos >= offsetTable_) return false;
            const unsigned countMarker = data_[pos++];
            if ((countMarker >> 4) != 0x1 || (countMarker & 0xF) > 3) return false;
            const std::size_t countSize = std::size_t{1} << (countMarker & 0xF);
            if (countSize > offsetTable_ - pos) return false;
            count = bigEndian(data_ + pos, countSize);
            pos += countSize;
        }
        const std::size_t room = offsetTable_ - pos;
        switch (type) {
        case 0x0: // null, false, true, fill
            return true;
        case 0x1: // integer of 1 to 16 bytes
            return info <= 4 && (std::size_t{1} << info) <= room;
        case 0x2: // real of 4 or 8 bytes
            return info <= 3 && (std::size_t{1} << info) <= room;
        case 0x3: // date
            return info == 3 && 8 <= room;
        case 0x4: // data
            return count <= room && pay(count);
        case 0x5: // ASCII string
            return count <= room && pay(count) && !holdsNul(pos, count, 1);
        case 0x6: // UTF-16 string
            return count <= room / 2 && pay(count * 2) && !holdsNul(pos, count, 2);
        case 0x8: // UID
            return info + 1 <= room;
        case 0xA: // array
        case 0xC: // set
            return count <= room / refSize_ && visitReferences(pos, count, depth);
        case 0xD: // dictionary: the keys' references, then the values'
            return count <= room / refSize_ / 2 && visitReferences(pos, count * 2, depth);
        default:
            return false;
        }
    }

    bool visitReferences(std::size_t pos, std::uint64_t count, std::size_t depth) {
        if (count > objectsLeft_) return false;
        for (std::uint64_t i = 0; i < count; ++i)
            if (!visit(bigEndian(data_ + pos + i * refSize_, refSize_), depth + 1)) return false;
        return true;
    }

    // libplist aborts on a string or key whose text holds a NUL character.
    bool holdsNul(std::size_t pos, std::uint64_t units, std::size_t unitSize) const {
        for (std::uint64_t i = 0; i < units; ++i)
            if (bigEndian(data_ + pos + i * unitSize, unitSize) == 0) return true;
        return false;
    }

    bool pay(std::uint64_t bytes) {
        if (bytes > payloadLeft_) return false;
        payloadLeft_ -= static_cast<std::size_t>(bytes);
        return true;
    }

    const unsigned char* data_;
    std::size_t size_;
    unsigned offsetSize_ = 0;
    unsigned refSize_ = 0;
    std::uint64_t objectCount_ = 0;
    std::size_t offsetTable_ = 0;
    std::size_t objectsLeft_ = maxPlistObjects;
    std::size_t payloadLeft_;
};

// One pass over an XML list, without recursion, tokenised as libplist's reader does
// it (quoted runs inside tags, comments, CDATA sections, processing instructions and
// a document type with an internal subset skipped the same way), so that the nesting
// counted here is never below the one the library reaches. What the library would
// reject anyway may be refused here too.
class XmlScan {
public:
    explicit XmlScan(std::string_view text) : s_(text) {}

    bool run() {
        // No NUL belongs in XML; libplist aborts on one inside a string or key.
        if (s_.find('\0') != npos) return false;
        std::size_t i = 0;
        while (i < s_.size()) {
            const std::size_t open = s_.find('<', i);
            addText(i, open == npos ? s_.size() : open);
            if (open == npos) break;
            const std::string_view rest = s_.substr(open);
            std::size_t next = npos;
            if (rest.starts_with("<!--")) {
                // A comment splits a text without ending it.
                const std::size_t end = s_.find("-->", open + 4);
                if (!count() || end == npos) return false;
                next = end + 3;
            } else if (rest.starts_with("<![CDATA[")) {
                const std::size_t end = s_.find("]]>", open + 9);
                if (!count() || end == npos) return false;
                textLength_ += end - (open + 9);
                next = end + 3;
            } else {
                // Any other markup ends the text; all but an end tag is an object.
                if (!endText() || (!rest.starts_with("</") && !count())) return false;
                if (rest.starts_with("<?")) {
                    const std::size_t end = find(open + 1, "?>");
                    if (end == npos) return false;
                    next = end + 2;
                } else if (rest.starts_with("<!DOCTYPE")) {
                    next = afterDocumentType(open + 9);
                } else if (rest.starts_with("<!")) {
                    return false;
                } else {
                    next = afterTag(open);
                }
                if (next == npos) return false;
            }
            i = next;
        }
        return endText();
    }

private:
    static constexpr std::size_t npos = std::string_view::npos;

    // Each piece of markup counts against the object budget.
    bool count() { return ++objects_ <= maxPlistObjects; }

    void addText(std::size_t from, std::size_t to) {
        textLength_ += to - from;
        entities_ += static_cast<std::size_t>(std::count(s_.begin() + from, s_.begin() + to, '&'));
    }

    // The library unescapes a text by moving its rest down once per entity.
    bool endText() {
        if (entities_ > 0 && textLength_ > (maxPlistEntityWork - entityWork_) / entities_) return false;
        entityWork_ += std::uint64_t{entities_} * textLength_;
        entities_ = textLength_ = 0;
        return true;
    }

    // Where `needle` starts at or after `from`, stepping over runs in double quotes.
    std::size_t find(std::size_t from, std::string_view needle) const {
        for (std::size_t i = from; i < s_.size(); ++i) {
            if (s_.substr(i).starts_with(needle)) return i;
            if (s_[i] == '"' && (i = s_.find('"', i + 1)) == npos) return npos;
        }
        return npos;
    }

    // The first of `stops` at or after `from`, stepping over runs in double quotes.
    std::size_t findAny(std::size_t from, std::string_view stops) const {
        for (std::size_t i = from; i < s_.size(); ++i) {
            if (s_[i] == '"' && (i = s_.find('"', i + 1)) == npos) return npos;
            if (stops.find(s_[i]) != npos) return i;
        }
        return npos;
    }

    std::size_t afterDocumentType(std::size_t from) const {
        const std::size_t stop = findAny(from, "[>");
        if (stop == npos || s_[stop] == '>') return stop == npos ? npos : stop + 1;
        const std::size_t end = find(stop, "]>");
        return end == npos ? npos : end + 2;
    }

    // Past a start or end tag at `open`; a start tag not closed by "/>" opens a level.
    std::size_t afterTag(std::size_t open) {
        std::size_t end = s_.find_first_of(" \r\n\t<>", open + 1);
        if (end != npos && s_[end] != '>' && s_[end] != '<') end = findAny(end, "<>");
        if (end == npos || s_[end] != '>') return npos;
        if (s_[open + 1] == '/') {
            if (depth_ == 0) return npos;
            --depth_;
        } else if (s_[end - 1] != '/' && ++depth_ > maxPlistDepth) {
            return npos;
        }
        return end + 1;
    }

    std::string_view s_;
    std::size_t objects_ = 0;
    std::size_t depth_ = 0;
    std::size_t textLength_ = 0;
    std::size_t entities_ = 0;
    std::uint64_t entityWork_ = 0;
};

} // namespace

bool isWithinPropertyListBounds(std::string_view bytes) {
    if (bytes.starts_with(binaryMagic)) return BinaryWalk(bytes).run();
    return XmlScan(bytes).run();
}

} // namespace plenwick
