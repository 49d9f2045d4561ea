#pragma once
// AppImages made for tests: a minimal ELF64 program header with a section-header
// table, followed by a squashfs image written with libsquashfs (metadata compressed
// with gzip, file data stored as is). Links the test to libsquashfs.

#include <sqfs/compressor.h>
#include <sqfs/dir_writer.h>
#include <sqfs/id_table.h>
#include <sqfs/inode.h>
#include <sqfs/io.h>
#include <sqfs/meta_writer.h>
#include <sqfs/super.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace plenwick::test {

struct ImageNode {
    enum class Kind { file, link, folder, loop };
    std::string name;
    Kind kind = Kind::file;
    std::string content; // a file's bytes, a link's target
    std::vector<ImageNode> children;
    std::optional<std::uint64_t> claimedSize; // a file inode that lies about its size
    std::uint64_t sparseSize = 0;             // a file of that many zero bytes, all its blocks holes

    static ImageNode file(std::string name, std::string bytes) { return {std::move(name), Kind::file, std::move(bytes), {}, {}}; }
    static ImageNode sparse(std::string name, std::uint64_t size) {
        ImageNode node{std::move(name), Kind::file, {}, {}, {}};
        node.sparseSize = size;
        return node;
    }
    static ImageNode link(std::string name, std::string target) { return {std::move(name), Kind::link, std::move(target), {}, {}}; }
    static ImageNode folder(std::string name, std::vector<ImageNode> children) {
        return {std::move(name), Kind::folder, {}, std::move(children), {}};
    }
    // A folder entry that leads back to the folder holding it.
    static ImageNode loop(std::string name) { return {std::move(name), Kind::loop, {}, {}, {}}; }
};

class SquashfsWriter {
public:
    static constexpr std::size_t blockSize = 131072;

    explicit SquashfsWriter(const std::string& path) {
        file_ = sqfs_open_file(path.c_str(), SQFS_FILE_OPEN_OVERWRITE);
        if (!file_) throw std::runtime_error("can't open the image file");
        sqfs_super_init(&super_, blockSize, 0, SQFS_COMP_GZIP);
        super_.flags |= SQFS_FLAG_NO_FRAGMENTS;
        sqfs_super_write(&super_, file_);
        sqfs_compressor_config_t config{};
        sqfs_compressor_config_init(&config, SQFS_COMP_GZIP, blockSize, 0);
        sqfs_compressor_create(&config, &compressor_);
        ids_ = sqfs_id_table_create(0);
        sqfs_id_table_id_to_index(ids_, 0, &rootID_);
    }
    ~SquashfsWriter() {
        sqfs_destroy(folders_);
        sqfs_destroy(listings_);
        sqfs_destroy(inodes_);
        sqfs_destroy(ids_);
        sqfs_destroy(compressor_);
        sqfs_destroy(file_);
    }

    void write(const std::vector<ImageNode>& top) {
        writeData(top);
        inodes_ = sqfs_meta_writer_create(file_, compressor_, 0);
        listings_ = sqfs_meta_writer_create(file_, compressor_, SQFS_META_WRITER_KEEP_IN_MEMORY);
        folders_ = sqfs_dir_writer_create(listings_, 0);
        super_.inode_table_start = file_->get_size(file_);
        const Written root = writeFolder(top, 0);
        super_.root_inode_ref = root.ref;
        sqfs_meta_writer_flush(inodes_);
        sqfs_meta_writer_flush(listings_);
        super_.directory_table_start = file_->get_size(file_);
        sqfs_meta_write_write_to_file(listings_);
        sqfs_id_table_write(ids_, file_, &super_, compressor_);
        super_.inode_count = nextInode_ - 1;
        super_.bytes_used = file_->get_size(file_);
        sqfs_super_write(&super_, file_);
        const sqfs_u64 size = file_->get_size(file_);
        if (size % 4096) file_->truncate(file_, size + 4096 - size % 4096);
    }

private:
    struct Written {
        sqfs_u64 ref;
        sqfs_u32 number;
        sqfs_u16 mode;
    };

    // Every file's bytes, first, right after the super block; files of equal bytes
    // share them, as the image tools write them.
    void writeData(const std::vector<ImageNode>& nodes) {
        for (const ImageNode& node : nodes) {
            if (node.kind == ImageNode::Kind::folder) writeData(node.children);
            if (node.kind != ImageNode::Kind::file) continue;
            const auto [written, added] = written_.try_emplace(node.content, file_->get_size(file_));
            dataStart_.push_back(written->second);
            if (added && !node.content.empty())
                file_->write_at(file_, file_->get_size(file_), node.content.data(), node.content.size());
        }
    }

    sqfs_u64 position() const {
        sqfs_u64 block = 0;
        sqfs_u32 offset = 0;
        sqfs_meta_writer_get_position(inodes_, &block, &offset);
        return (block << 16) | offset;
    }

    Written writeInode(sqfs_inode_generic_t* inode) {
        inode->base.uid_idx = rootID_;
        inode->base.gid_idx = rootID_;
        const Written written{position(), inode->base.inode_number, inode->base.mode};
        sqfs_meta_writer_write_inode(inodes_, inode);
        std::free(inode);
        return written;
    }

    Written writeFile(const ImageNode& node) {
        const std::size_t size = node.sparseSize ? node.sparseSize : node.content.size();
        const std::size_t blocks = (size + blockSize - 1) / blockSize;
        auto* inode = static_cast<sqfs_inode_generic_t*>(std::calloc(1, sizeof(sqfs_inode_generic_t) + blocks * 4));
        inode->base.mode = SQFS_INODE_MODE_REG | 0644;
        inode->base.inode_number = nextInode_++;
        inode->payload_bytes_available = inode->payload_bytes_used = static_cast<sqfs_u32>(blocks * 4);
        // Stored as they are; a hole's block takes no bytes at all.
        for (std::size_t i = 0; i < blocks && !node.sparseSize; ++i)
            inode->extra[i] = (1u << 24) | static_cast<sqfs_u32>(std::min(blockSize, size - i * blockSize));
        const sqfs_u64 start = dataStart_[fileIndex_++];
        if (node.claimedSize) {
            inode->base.type = SQFS_INODE_EXT_FILE;
            inode->data.file_ext.blocks_start = start;
            inode->data.file_ext.file_size = *node.claimedSize;
            inode->data.file_ext.nlink = 1;
            inode->data.file_ext.fragment_idx = 0xFFFFFFFF;
            inode->data.file_ext.fragment_offset = 0xFFFFFFFF;
            inode->data.file_ext.xattr_idx = 0xFFFFFFFF;
        } else {
            inode->base.type = SQFS_INODE_FILE;
            inode->data.file.blocks_start = static_cast<sqfs_u32>(start);
            inode->data.file.file_size = static_cast<sqfs_u32>(size);
            inode->data.file.fragment_index = 0xFFFFFFFF;
            inode->data.file.fragment_offset = 0xFFFFFFFF;
        }
        return writeInode(inode);
    }

    Written writeLink(const ImageNode& node) {
        auto* inode =
            static_cast<sqfs_inode_generic_t*>(std::calloc(1, sizeof(sqfs_inode_generic_t) + node.content.size() + 1));
        inode->base.type = SQFS_INODE_SLINK;
        inode->base.mode = SQFS_INODE_MODE_LNK | 0777;
        inode->base.inode_number = nextInode_++;
        inode->data.slink.nlink = 1;
        inode->data.slink.target_size = static_cast<sqfs_u32>(node.content.size());
        inode->payload_bytes_available = inode->payload_bytes_used = static_cast<sqfs_u32>(node.content.size());
        std::memcpy(inode->extra, node.content.data(), node.content.size());
        return writeInode(inode);
    }

    // The children first, then the folder's listing (names in byte order), then its inode.
    Written writeFolder(const std::vector<ImageNode>& children, sqfs_u32 parent) {
        const sqfs_u32 number = nextInode_++;
        std::vector<std::pair<std::string, Written>> entries;
        for (const ImageNode& child : children) {
            if (child.kind == ImageNode::Kind::file) entries.emplace_back(child.name, writeFile(child));
            if (child.kind == ImageNode::Kind::link) entries.emplace_back(child.name, writeLink(child));
            if (child.kind == ImageNode::Kind::folder) entries.emplace_back(child.name, writeFolder(child.children, number));
        }
        const sqfs_u64 own = position(); // nothing else is written before this folder's inode
        for (const ImageNode& child : children)
            if (child.kind == ImageNode::Kind::loop)
                entries.emplace_back(child.name, Written{own, number, SQFS_INODE_MODE_DIR | 0755});
        std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        sqfs_dir_writer_begin(folders_, 0);
        for (const auto& [name, written] : entries)
            sqfs_dir_writer_add_entry(folders_, name.c_str(), written.number, written.ref, written.mode);
        sqfs_dir_writer_end(folders_);
        sqfs_inode_generic_t* inode = sqfs_dir_writer_create_inode(folders_, 0, 0xFFFFFFFF, parent);
        inode->base.mode = SQFS_INODE_MODE_DIR | 0755;
        inode->base.inode_number = number;
        return writeInode(inode);
    }

    sqfs_file_t* file_ = nullptr;
    sqfs_super_t super_{};
    sqfs_compressor_t* compressor_ = nullptr;
    sqfs_id_table_t* ids_ = nullptr;
    sqfs_meta_writer_t* inodes_ = nullptr;
    sqfs_meta_writer_t* listings_ = nullptr;
    sqfs_dir_writer_t* folders_ = nullptr;
    sqfs_u16 rootID_ = 0;
    sqfs_u32 nextInode_ = 1;
    std::vector<sqfs_u64> dataStart_;
    std::map<std::string, sqfs_u64> written_; // where each file content's bytes went
    std::size_t fileIndex_ = 0;
};

inline std::string squashfsImage(const std::vector<ImageNode>& top) {
    char path[] = "/tmp/plenwick-squashfs-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) throw std::runtime_error("mkstemp failed");
    close(fd);
    {
        SquashfsWriter writer(path);
        writer.write(top);
    }
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    unlink(path);
    return bytes;
}

// An ELF64 little-endian header marked as a type-2 AppImage, whose section-header
// table (three entries of 64 bytes at 64) ends at 256, padded to that length.
inline std::string appImageStub() {
    std::string elf(256, '\0');
    const unsigned char ident[] = {0x7f, 'E', 'L', 'F', 2, 1, 1, 0, 'A', 'I', 2};
    std::memcpy(elf.data(), ident, sizeof ident);
    auto put = [&](std::size_t at, std::uint64_t value, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i) elf[at + i] = static_cast<char>((value >> (8 * i)) & 0xff);
    };
    put(16, 2, 2);   // e_type: executable
    put(18, 62, 2);  // e_machine: x86-64
    put(20, 1, 4);   // e_version
    put(40, 64, 8);  // e_shoff
    put(52, 64, 2);  // e_ehsize
    put(58, 64, 2);  // e_shentsize
    put(60, 3, 2);   // e_shnum
    return elf;
}

inline std::string appImage(const std::vector<ImageNode>& top) { return appImageStub() + squashfsImage(top); }

} // namespace plenwick::test

namespace plenwick::test {

// An application entry followed by `groups` empty groups: nearly a megabyte at the
// default, which a key-file parser turns into tens of megabytes and much work.
inline std::string manyGroupsEntry(std::size_t groups = 120'000, const std::string& exec = "tool") {
    std::string text = "[Desktop Entry]\nType=Application\nName=Tool\nExec=" + exec + "\n";
    text.reserve(text.size() + groups * 8);
    for (std::size_t i = 0; i < groups; ++i) text += "[" + std::to_string(i) + "]\n";
    return text;
}

// Images of a few KB or one MB on disk that cost gigabytes to read whole: `count`
// top-level entries that are holes of 1 MiB each, and `count` names of one
// many-groups entry (its bytes stored once).
inline std::string sparseEntriesImage(std::size_t count = 1500) {
    std::vector<ImageNode> top;
    for (std::size_t i = 0; i < count; ++i) top.push_back(ImageNode::sparse("e" + std::to_string(10000 + i) + ".desktop", 1 << 20));
    return appImage(top);
}
inline std::string manyGroupsImage(std::size_t count = 1500) {
    const std::string entry = manyGroupsEntry();
    std::vector<ImageNode> top;
    for (std::size_t i = 0; i < count; ++i) top.push_back(ImageNode::file("e" + std::to_string(10000 + i) + ".desktop", entry));
    return appImage(top);
}

} // namespace plenwick::test
