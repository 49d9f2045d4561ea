#pragma once
// A few small files read from a squashfs image that starts at an offset inside an
// open file, through libsquashfs. The image may be truncated or built to lie, so
// every step is bounded: the bytes and reads that pass through the file, the bytes
// the image produces (decompressed, or holes filled with zeros: a few KB on disk may
// stand for gigabytes), the entries listed, the size of a file read, the links
// followed inside the image, and what an inode may make the library allocate. What
// breaks a bound, or the stop token, ends in nothing.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace plenwick {

class SquashfsImage {
public:
    // What one image may cost, whatever it holds.
    static constexpr std::uint64_t maxBytesRead = 32 * 1024 * 1024;
    static constexpr std::uint64_t maxBytesProduced = 8 * 1024 * 1024;
    static constexpr std::size_t maxReads = 16 * 1024;
    static constexpr std::size_t maxEntriesListed = 4096;
    static constexpr std::size_t maxLinkHops = 8;

    // The image at `offset` in `fd` (kept open by the caller for the image's life);
    // nothing when its super block can't be read or isn't sound.
    static std::unique_ptr<SquashfsImage> open(int fd, std::uint64_t offset, std::stop_token stop = {});
    ~SquashfsImage();
    SquashfsImage(const SquashfsImage&) = delete;
    SquashfsImage& operator=(const SquashfsImage&) = delete;

    // The names in the top folder, in the image's order; nothing when it can't be read.
    std::optional<std::vector<std::string>> topLevelNames();
    // The bytes of the regular file at `path` (relative to the top, "/"-separated),
    // links inside the image followed; nothing when missing, no regular file, or over
    // `maxSize` bytes.
    std::optional<std::string> readFile(std::string_view path, std::size_t maxSize);

    struct Parts;

private:
    explicit SquashfsImage(std::unique_ptr<Parts> parts);
    std::unique_ptr<Parts> parts_;
};

} // namespace plenwick
