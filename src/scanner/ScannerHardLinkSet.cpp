#include "scanner/ScannerHardLinkSet.h"

namespace plenwick {

bool ScannerHardLinkSet::insert(std::uint64_t device, std::uint64_t inode) {
    Shard& shard = shards_[shardIndex(inode)];
    std::lock_guard guard(shard.lock);
    return shard.keys.insert(Key{device, inode}).second;
}

bool ScannerHardLinkSet::contains(std::uint64_t device, std::uint64_t inode) const {
    const Shard& shard = shards_[shardIndex(inode)];
    std::lock_guard guard(shard.lock);
    return shard.keys.count(Key{device, inode}) != 0;
}

std::size_t ScannerHardLinkSet::size() const {
    std::size_t total = 0;
    for (const Shard& shard : shards_) {
        std::lock_guard guard(shard.lock);
        total += shard.keys.size();
    }
    return total;
}

} // namespace plenwick
