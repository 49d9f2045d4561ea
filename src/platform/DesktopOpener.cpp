#include "platform/DesktopOpener.h"

#include "platform/FileURL.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMetaObject>
#include <QProcess>
#include <QStandardPaths>

namespace plenwick {

namespace {

const char* const noOpener = "This system has no program that opens files (xdg-open is not installed).";

void failLater(DesktopFailure failed, std::string reason) {
    if (!failed) return;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [failed = std::move(failed), reason = std::move(reason)] { failed(reason); },
        Qt::QueuedConnection);
}

// The last line the opener wrote, without its own name in front.
std::string lastLine(const std::string& output) {
    QString text = QString::fromUtf8(output.data(), static_cast<qsizetype>(output.size())).trimmed();
    text = text.section(QLatin1Char('\n'), -1).trimmed();
    if (text.startsWith(QLatin1String("xdg-open:"))) text = text.mid(9).trimmed();
    return text.toStdString();
}

// The reason for an exit status of xdg-open, with its error output as the last resort.
std::string failureReason(int exitStatus, const std::string& errorOutput) {
    // xdg-open's documented statuses.
    switch (exitStatus) {
    case 2: return "It no longer exists.";
    case 3: return "No application is set up to open it.";
    default: break;
    }
    if (std::string said = lastLine(errorOutput); !said.empty()) return said;
    return exitStatus == 4 ? "The application chosen to open it failed." : "It couldn’t be opened.";
}

} // namespace

void openOnDesktop(const std::string& path, DesktopFailure failed) {
    // The URL, not the path: it carries a name that is not UTF-8 byte for byte.
    const QUrl url = fileURL(path);
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) {
        // Without a GUI application there is no desktop to ask.
        const bool asked = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) && QDesktopServices::openUrl(url);
        if (!asked) failLater(std::move(failed), noOpener);
        return;
    }
    auto* process = new QProcess(QCoreApplication::instance());
    process->setProgram(opener);
    process->setArguments({url.toString(QUrl::FullyEncoded)});
    process->setProcessChannelMode(QProcess::SeparateChannels);
    process->setStandardOutputFile(QProcess::nullDevice());
    QObject::connect(process, &QProcess::errorOccurred, process, [process, failed](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart) return;
        failLater(failed, noOpener);
        process->deleteLater();
    });
    QObject::connect(process, &QProcess::finished, process,
                     [process, failed](int status, QProcess::ExitStatus how) {
                         if (how != QProcess::NormalExit || status != 0)
                             failLater(failed, failureReason(how == QProcess::NormalExit ? status : -1,
                                                             process->readAllStandardError().toStdString()));
                         process->deleteLater();
                     });
    process->start();
}

} // namespace plenwick
