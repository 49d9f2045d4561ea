#pragma once
// The scan-wide record of hard-linked files already counted: 16 shards,
// each with its own lock, chosen by a multiplicative hash of the inode number.

#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <unordered_set>

namespace plenwick {

class ScannerHardLinkSet {
public:
    static constexpr unsigned shardCount = 16;

    struct Key {
        std::uint64_t device; // widened to 64 bits: Linux device numbers do not fit 32
        std::uint64_t inode;
        friend bool operator==(const Key&, const Key&) = default;
    };

    // Records (device, inode); true when it was not there yet (this copy counts).
    bool insert(std::uint64_t device, std::uint64_t inode);
    bool contains(std::uint64_t device, std::uint64_t inode) const;
    std::size_t size() const;

    // Top 4 bits of inode × 0x9E3779B97F4A7C15 (wrapping).
    static unsigned shardIndex(std::uint64_t inode) noexcept {
        return static_cast<unsigned>((inode * 0x9E3779B97F4A7C15ull) >> 60);
    }

private:
    struct KeyHash {
        std::size_t operator()(const Key& k) const noexcept {
            return static_cast<std::size_t>((k.inode ^ (k.device * 0xC2B2AE3D27D4EB4Full)) * 0x9E3779B97F4A7C15ull >> 7);
        }
    };
    struct alignas(64) Shard {
        mutable std::mutex lock;
        std::unordered_set<Key, KeyHash> keys;
    };
    std::array<Shard, shardCount> shards_;
};

} // namespace plenwick
