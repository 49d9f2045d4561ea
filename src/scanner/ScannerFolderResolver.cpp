#include "scanner/ScannerFolderResolver.h"

#include "scanner/ScannerDescriptorLedger.h"

namespace plenwick {
namespace {

class LedgerObserver final : public FolderResolver::Observer {
public:
    explicit LedgerObserver(ScannerDescriptorLedger& ledger) : ledger_(ledger) {}
    void opened() override { ledger_.opened(); }
    void closed() override { ledger_.closed(); }

private:
    ScannerDescriptorLedger& ledger_;
};

} // namespace

int ScannerFolderResolver::open(int base, std::span<const std::string_view> names, ScannerDescriptorLedger& ledger) {
    LedgerObserver observer(ledger);
    return FolderResolver::open(base, names, &observer);
}

} // namespace plenwick
