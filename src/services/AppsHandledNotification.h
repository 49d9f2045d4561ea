#pragma once
// Tells the helper which apps the programs moved to the Trash themselves: a signal on
// the session bus. Without a session bus, posting does nothing.

#include "services/AppBundleInfo.h"

#include <QObject>
#include <QStringList>
#include <vector>

namespace plenwick {

extern const char* const appsHandledNotificationName; // "tarnwell.Plenwick.appsHandled"

// Posts nothing for an empty list.
void postAppsHandled(const std::vector<AppBundleInfo>& apps);

// Receives the notification (the helper). A missing or mistyped entry reads as empty.
class AppsHandledReceiver : public QObject {
    Q_OBJECT
public:
    explicit AppsHandledReceiver(QObject* parent = nullptr);
    bool isConnected() const { return connected_; }

signals:
    void appsHandled(const QStringList& bundleIDs, const QStringList& paths);

private slots:
    void receive(const QVariantMap& userInfo);

private:
    bool connected_ = false;
};

} // namespace plenwick
