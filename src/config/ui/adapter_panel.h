#pragma once
// The serial adapters panel of the setup dialog: the adapters plugged in now,
// kept fresh while the panel is shown, and the "Use for port" request.

#include "platform/serial_adapters.h"

#include <QTimer>
#include <QWidget>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QListWidget;
class QPushButton;

namespace korvane {

// Controls by object name: Adapters (the list; when nothing is plugged in it
// holds one unselectable line saying how to proceed), RefreshAdapters,
// UseForPort (enabled while an adapter is picked) and AdapterNote (what the
// last link did, or that the picked adapter may not be opened yet).
class AdapterPanel final : public QWidget {
    Q_OBJECT
public:
    // adapters must outlive the panel.
    explicit AdapterPanel(const SerialAdapterList& adapters, QWidget* parent = nullptr);

    // Asks the list again; the picked adapter stays picked while it is there.
    void refresh();
    std::optional<SerialAdapter> picked() const;
    void setNote(const QString& text);

    // How often the list is asked again while the panel is shown.
    static constexpr int kRefreshMs = 2000;

signals:
    void useRequested(const korvane::SerialAdapter& adapter);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void onPicked();

    const SerialAdapterList& source_;
    std::vector<SerialAdapter> shown_;
    QListWidget* list_;
    QPushButton* refresh_;
    QPushButton* use_;
    QLabel* note_;
    std::string notedPath_; // the adapter the note speaks of
    QTimer timer_;
};

// The note for a picked adapter: the dialout advice when this user may not
// open its device yet, else nothing.
QString adapterAccessNote(const SerialAdapter& adapter);

} // namespace korvane
