#include "outline/UnicodeTextFolding.h"

#include <QString>

namespace plenwick {

std::string UnicodeTextFolding::fold(std::string_view text) const {
    const QString decomposed =
        QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).normalized(QString::NormalizationForm_D);
    QString kept;
    kept.reserve(decomposed.size());
    for (QChar c : decomposed) {
        const QChar::Category category = c.category();
        if (category == QChar::Mark_NonSpacing || category == QChar::Mark_Enclosing) continue;
        kept.append(c);
    }
    return kept.toCaseFolded().normalized(QString::NormalizationForm_C).toStdString();
}

} // namespace plenwick
