#include "services/SquashfsImage.h"

#include <sqfs/block.h>
#include <sqfs/compressor.h>
#include <sqfs/data_reader.h>
#include <sqfs/dir.h>
#include <sqfs/error.h>
#include <sqfs/inode.h>
#include <sqfs/io.h>
#include <sqfs/meta_reader.h>
#include <sqfs/super.h>

#include <algorithm>
#include <cerrno>
#include <endian.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plenwick {
namespace {

// Real images have a few thousand fragments; the table costs 16 bytes each.
constexpr std::uint32_t maxFragments = 256 * 1024;
// An extended folder's index has an entry per 8 KiB of its listing.
constexpr std::size_t maxFolderIndexEntries = 1024;
// Longer than any path a link inside an image needs.
constexpr std::uint32_t maxLinkTarget = 4096;
constexpr std::size_t maxPathComponents = 256;
constexpr std::uint32_t metadataBlockSize = 8192;

struct Budget {
    int fd = -1;
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
    std::uint64_t bytesLeft = SquashfsImage::maxBytesRead;
    std::uint64_t producedLeft = SquashfsImage::maxBytesProduced;
    std::size_t readsLeft = SquashfsImage::maxReads;
    std::stop_token stop;
};

// The file the library reads through: the image's part of the open file, every read
// counted against the budget. The library only borrows it.
struct BoundedFile {
    sqfs_file_t file;
    Budget* budget;
};

int boundedRead(sqfs_file_t* file, sqfs_u64 offset, void* buffer, size_t size) {
    Budget& budget = *reinterpret_cast<BoundedFile*>(file)->budget;
    if (budget.stop.stop_requested() || budget.readsLeft == 0 || size > budget.bytesLeft) return SQFS_ERROR_IO;
    if (offset > budget.size || size > budget.size - offset) return SQFS_ERROR_OUT_OF_BOUNDS;
    --budget.readsLeft;
    budget.bytesLeft -= size;
    auto* out = static_cast<char*>(buffer);
    std::uint64_t at = budget.offset + offset;
    while (size > 0) {
        const ssize_t n = ::pread(budget.fd, out, size, static_cast<off_t>(at));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return SQFS_ERROR_IO;
        out += n;
        at += static_cast<std::uint64_t>(n);
        size -= static_cast<std::size_t>(n);
    }
    return 0;
}
int refuseWrite(sqfs_file_t*, sqfs_u64, const void*, size_t) { return SQFS_ERROR_IO; }

// The decompressor the library works through: the real one, every byte it produces
// counted against the budget, and never more produced than is left of it.
struct CountingCompressor {
    sqfs_compressor_t compressor;
    sqfs_compressor_t* real;
    Budget* budget;
};

sqfs_s32 countedBlock(sqfs_compressor_t* compressor, const sqfs_u8* in, sqfs_u32 size, sqfs_u8* out,
                      sqfs_u32 outsize) {
    auto& self = *reinterpret_cast<CountingCompressor*>(compressor);
    Budget& budget = *self.budget;
    if (budget.stop.stop_requested() || budget.producedLeft == 0) return SQFS_ERROR_OVERFLOW;
    const auto room = static_cast<sqfs_u32>(std::min<std::uint64_t>(outsize, budget.producedLeft));
    const sqfs_s32 produced = self.real->do_block(self.real, in, size, out, room);
    if (produced > 0) budget.producedLeft -= static_cast<std::uint64_t>(produced);
    // Short of room, the real one says its output didn't fit: so does this one.
    return produced;
}
void countedConfiguration(const sqfs_compressor_t* compressor, sqfs_compressor_config_t* config) {
    const auto& self = *reinterpret_cast<const CountingCompressor*>(compressor);
    self.real->get_configuration(self.real, config);
}
int refuseOptionsWrite(sqfs_compressor_t*, sqfs_file_t*) { return SQFS_ERROR_UNSUPPORTED; }
int refuseOptionsRead(sqfs_compressor_t*, sqfs_file_t*) { return SQFS_ERROR_UNSUPPORTED; }
sqfs_u64 boundedSize(const sqfs_file_t* file) {
    return reinterpret_cast<const BoundedFile*>(file)->budget->size;
}
int refuseTruncate(sqfs_file_t*, sqfs_u64) { return SQFS_ERROR_IO; }
void keep(sqfs_object_t*) {}
sqfs_object_t* noCopy(const sqfs_object_t*) { return nullptr; }

template <typename T>
struct Destroyer {
    void operator()(T* object) const noexcept { sqfs_destroy(object); }
};
template <typename T>
using Owned = std::unique_ptr<T, Destroyer<T>>;

struct Freer {
    void operator()(void* memory) const noexcept { sqfs_free(memory); }
};
using Inode = std::unique_ptr<sqfs_inode_generic_t, Freer>;

bool isFolder(const sqfs_inode_generic_t& inode) {
    return inode.base.type == SQFS_INODE_DIR || inode.base.type == SQFS_INODE_EXT_DIR;
}
bool isLink(const sqfs_inode_generic_t& inode) {
    return inode.base.type == SQFS_INODE_SLINK || inode.base.type == SQFS_INODE_EXT_SLINK;
}
bool isFile(const sqfs_inode_generic_t& inode) {
    return inode.base.type == SQFS_INODE_FILE || inode.base.type == SQFS_INODE_EXT_FILE;
}

std::vector<std::string> splitPath(std::string_view path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos) end = path.size();
        if (end > start) parts.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

} // namespace

struct SquashfsImage::Parts {
    Budget budget;
    BoundedFile file{};
    sqfs_super_t super{};
    Owned<sqfs_compressor_t> compressor;
    CountingCompressor counting{};
    Owned<sqfs_meta_reader_t> inodes;
    Owned<sqfs_meta_reader_t> folders;
    Owned<sqfs_data_reader_t> data;
    bool fragmentsLoaded = false;

    // The inode at `ref`, looked at before the library reads it so that nothing in
    // it can make the library allocate or read much: a file over `maxFileSize`, a
    // link target past a path's length, a folder index past any real listing's.
    Inode readInode(sqfs_u64 ref, std::uint64_t maxFileSize) {
        const sqfs_u64 block = ref >> 16;
        const std::size_t offset = ref & 0xFFFF;
        if (offset >= metadataBlockSize || block > super.directory_table_start - super.inode_table_start) return {};
        sqfs_meta_reader_t* reader = inodes.get();
        if (sqfs_meta_reader_seek(reader, super.inode_table_start + block, offset) != 0) return {};
        sqfs_inode_t base{};
        if (sqfs_meta_reader_read(reader, &base, sizeof base) != 0) return {};
        switch (le16toh(base.type)) {
        case SQFS_INODE_FILE: {
            sqfs_inode_file_t file{};
            if (sqfs_meta_reader_read(reader, &file, sizeof file) != 0 || le32toh(file.file_size) > maxFileSize)
                return {};
            break;
        }
        case SQFS_INODE_EXT_FILE: {
            sqfs_inode_file_ext_t file{};
            if (sqfs_meta_reader_read(reader, &file, sizeof file) != 0 || le64toh(file.file_size) > maxFileSize)
                return {};
            break;
        }
        case SQFS_INODE_SLINK:
        case SQFS_INODE_EXT_SLINK: {
            sqfs_inode_slink_t link{};
            if (sqfs_meta_reader_read(reader, &link, sizeof link) != 0 || le32toh(link.target_size) > maxLinkTarget)
                return {};
            break;
        }
        case SQFS_INODE_EXT_DIR: {
            sqfs_inode_dir_ext_t folder{};
            if (sqfs_meta_reader_read(reader, &folder, sizeof folder) != 0) return {};
            const std::size_t count = le16toh(folder.inodex_count);
            if (count > maxFolderIndexEntries) return {};
            for (std::size_t i = 0; le32toh(folder.size) != 0 && i < count; ++i) {
                sqfs_dir_index_t index{};
                char name[256];
                if (sqfs_meta_reader_read(reader, &index, sizeof index) != 0) return {};
                const std::uint32_t nameSize = le32toh(index.size) + 1;
                if (nameSize > sizeof name || sqfs_meta_reader_read(reader, name, nameSize) != 0) return {};
            }
            break;
        }
        default:
            break;
        }
        sqfs_inode_generic_t* inode = nullptr;
        if (sqfs_meta_reader_read_inode(reader, &super, block, offset, &inode) != 0) return {};
        return Inode(inode);
    }

    // The folder's entries, each with its inode reference; `wanted` set: only the
    // entry of that name. Nothing when the listing can't be read or is too long.
    std::optional<std::vector<std::pair<std::string, sqfs_u64>>> list(const sqfs_inode_generic_t& folder,
                                                                      const std::string* wanted = nullptr) {
        sqfs_readdir_state_t state{};
        if (sqfs_readdir_state_init(&state, &super, &folder) != 0) return std::nullopt;
        std::vector<std::pair<std::string, sqfs_u64>> entries;
        for (std::size_t listed = 0;; ++listed) {
            if (listed >= maxEntriesListed || budget.stop.stop_requested()) return std::nullopt;
            sqfs_dir_entry_t* entry = nullptr;
            sqfs_u64 ref = 0;
            const int status = sqfs_meta_reader_readdir(folders.get(), &state, &entry, nullptr, &ref);
            if (status > 0) break;
            if (status < 0) return std::nullopt;
            std::string name(reinterpret_cast<const char*>(entry->name), static_cast<std::size_t>(entry->size) + 1);
            sqfs_free(entry);
            if (wanted && name != *wanted) continue;
            entries.emplace_back(std::move(name), ref);
            if (wanted) break;
        }
        return entries;
    }

    // The inode at `path` below the top, links followed (also the last one) at most
    // maxLinkHops times; a link never leads above the top.
    Inode resolve(std::vector<std::string> path, std::uint64_t maxFileSize) {
        std::size_t hops = 0;
        for (;;) {
            Inode current = readInode(super.root_inode_ref, 0);
            std::vector<std::string> reached; // the path of `current`
            bool restarted = false;
            for (std::size_t i = 0; i < path.size() && !restarted; ++i) {
                const std::string& name = path[i];
                if (!current || !isFolder(*current)) return {};
                if (name == ".") continue;
                if (name == "..") return {}; // lexical ".." is folded before resolving
                const auto found = list(*current, &name);
                if (!found || found->empty()) return {};
                const bool last = i + 1 == path.size();
                Inode next = readInode(found->front().second, last ? maxFileSize : 0);
                if (!next) return {};
                if (isLink(*next)) {
                    if (++hops > maxLinkHops) return {};
                    const std::string target(reinterpret_cast<const char*>(next->extra),
                                             next->data.slink.target_size);
                    std::vector<std::string> resolved = target.starts_with('/') ? std::vector<std::string>() : reached;
                    for (std::string& part : splitPath(target)) {
                        if (part == ".") continue;
                        if (part == "..") {
                            if (resolved.empty()) return {};
                            resolved.pop_back();
                        } else {
                            resolved.push_back(std::move(part));
                        }
                    }
                    resolved.insert(resolved.end(), path.begin() + static_cast<std::ptrdiff_t>(i) + 1, path.end());
                    if (resolved.size() > maxPathComponents) return {};
                    path = std::move(resolved);
                    restarted = true;
                    continue;
                }
                reached.push_back(name);
                current = std::move(next);
            }
            if (!restarted) return current;
        }
    }
};

SquashfsImage::SquashfsImage(std::unique_ptr<Parts> parts) : parts_(std::move(parts)) {}
SquashfsImage::~SquashfsImage() = default;

std::unique_ptr<SquashfsImage> SquashfsImage::open(int fd, std::uint64_t offset, std::stop_token stop) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || static_cast<std::uint64_t>(st.st_size) <= offset)
        return nullptr;
    auto parts = std::make_unique<Parts>();
    parts->budget = Budget{fd,       offset, static_cast<std::uint64_t>(st.st_size) - offset, maxBytesRead,
                           maxBytesProduced, maxReads, std::move(stop)};
    sqfs_file_t& file = parts->file.file;
    file.base.destroy = keep;
    file.base.copy = noCopy;
    file.read_at = boundedRead;
    file.write_at = refuseWrite;
    file.get_size = boundedSize;
    file.truncate = refuseTruncate;
    parts->file.budget = &parts->budget;

    sqfs_super_t& super = parts->super;
    if (sqfs_super_read(&super, &file) != 0) return nullptr;
    // The tables lie in the image, in the order the format writes them.
    const std::uint64_t size = parts->budget.size;
    if (super.bytes_used > size || super.inode_table_start >= super.directory_table_start ||
        super.directory_table_start >= super.bytes_used || super.fragment_entry_count > maxFragments ||
        (super.root_inode_ref >> 16) >= super.directory_table_start - super.inode_table_start)
        return nullptr;

    sqfs_compressor_config_t config{};
    if (sqfs_compressor_config_init(&config, static_cast<SQFS_COMPRESSOR>(super.compression_id), super.block_size,
                                    SQFS_COMP_FLAG_UNCOMPRESS) != 0)
        return nullptr;
    sqfs_compressor_t* compressor = nullptr;
    if (sqfs_compressor_create(&config, &compressor) != 0 || !compressor) return nullptr;
    parts->compressor.reset(compressor);
    CountingCompressor& counting = parts->counting;
    counting.compressor.base.destroy = keep;
    counting.compressor.base.copy = noCopy;
    counting.compressor.get_configuration = countedConfiguration;
    counting.compressor.write_options = refuseOptionsWrite;
    counting.compressor.read_options = refuseOptionsRead;
    counting.compressor.do_block = countedBlock;
    counting.real = compressor;
    counting.budget = &parts->budget;
    sqfs_compressor_t* counted = &counting.compressor;
    parts->inodes.reset(
        sqfs_meta_reader_create(&file, counted, super.inode_table_start, super.directory_table_start));
    parts->folders.reset(sqfs_meta_reader_create(&file, counted, super.directory_table_start, super.bytes_used));
    parts->data.reset(sqfs_data_reader_create(&file, super.block_size, counted, 0));
    if (!parts->inodes || !parts->folders || !parts->data) return nullptr;
    return std::unique_ptr<SquashfsImage>(new SquashfsImage(std::move(parts)));
}

std::optional<std::vector<std::string>> SquashfsImage::topLevelNames() {
    Inode root = parts_->readInode(parts_->super.root_inode_ref, 0);
    if (!root || !isFolder(*root)) return std::nullopt;
    const auto entries = parts_->list(*root);
    if (!entries) return std::nullopt;
    std::vector<std::string> names;
    for (const auto& entry : *entries) names.push_back(entry.first);
    return names;
}

std::optional<std::string> SquashfsImage::readFile(std::string_view path, std::size_t maxSize) {
    std::vector<std::string> parts = splitPath(path);
    if (parts.empty() || parts.size() > maxPathComponents) return std::nullopt;
    const Inode inode = parts_->resolve(std::move(parts), maxSize);
    if (!inode || !isFile(*inode)) return std::nullopt;
    sqfs_u64 size = 0;
    if (sqfs_inode_get_file_size(inode.get(), &size) != 0 || size > maxSize) return std::nullopt;
    // Holes cost nothing to read and a zero byte each to produce.
    std::uint64_t holes = 0;
    const std::uint64_t block = parts_->super.block_size;
    const std::size_t blocks = inode->payload_bytes_used / sizeof(sqfs_u32);
    for (std::size_t i = 0; i < blocks && i * block < size; ++i)
        if (SQFS_IS_SPARSE_BLOCK(inode->extra[i])) holes += std::min<std::uint64_t>(block, size - i * block);
    if (holes > parts_->budget.producedLeft) return std::nullopt;
    parts_->budget.producedLeft -= holes;
    if (!parts_->fragmentsLoaded) {
        if (sqfs_data_reader_load_fragment_table(parts_->data.get(), &parts_->super) != 0) return std::nullopt;
        parts_->fragmentsLoaded = true;
    }
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (size == 0) return bytes;
    const sqfs_s32 read =
        sqfs_data_reader_read(parts_->data.get(), inode.get(), 0, bytes.data(), static_cast<sqfs_u32>(size));
    if (read < 0 || static_cast<sqfs_u64>(read) != size) return std::nullopt;
    return bytes;
}

} // namespace plenwick
