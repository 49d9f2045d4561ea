#include "platform/ByteCountFormatter.h"

#include <QLocale>

namespace plenwick {

std::string formatByteCount(std::int64_t bytes) {
    return formatByteCount(bytes, QLocale().decimalPoint().toStdString());
}

} // namespace plenwick
