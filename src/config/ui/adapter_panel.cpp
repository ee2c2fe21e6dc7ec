#include "adapter_panel.h"

#include "platform/qt/qt_platform.h"
#include "platform/serial_port.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <cerrno>

namespace korvane {

QString adapterAccessNote(const SerialAdapter& adapter) {
    const int error = deviceAccessError(adapter.device);
    if (error != EACCES && error != EPERM)
        return {};
    return QStringLiteral("This adapter cannot be opened yet: ") +
           fromLocal8(portProblemText({PortFault::NoPermission, {}}));
}

AdapterPanel::AdapterPanel(const SerialAdapterList& adapters, QWidget* parent)
    : QWidget(parent), source_(adapters) {
    auto* title = new QLabel(QStringLiteral("Serial adapters"), this);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("Adapters"));
    list_->setAccessibleName(title->text());
    title->setBuddy(list_);
    // Room for the common by-id names; a longer one loses its middle (the
    // maker's name at the start and the port at the end tell adapters
    // apart), and its tooltip has it whole.
    list_->setFixedSize(twips(6600), twips(1800));
    list_->setTextElideMode(Qt::ElideMiddle);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setAlternatingRowColors(true); // two lines per adapter

    refresh_ = new QPushButton(QStringLiteral("Refresh"), this);
    refresh_->setObjectName(QStringLiteral("RefreshAdapters"));
    use_ = new QPushButton(QStringLiteral("Use for port"), this);
    use_->setObjectName(QStringLiteral("UseForPort"));
    use_->setToolTip(QStringLiteral("Make com<n> in the app folder lead to the picked adapter, "
                                    "n being the Com port number"));
    // Enter in a box must still save the settings, whichever button had focus.
    for (QPushButton* b : {refresh_, use_})
        b->setAutoDefault(false);

    note_ = new QLabel(this);
    note_->setObjectName(QStringLiteral("AdapterNote"));
    note_->setWordWrap(true);
    note_->setFixedWidth(list_->width());
    note_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(refresh_);
    buttons->addStretch();
    buttons->addWidget(use_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(title);
    layout->addWidget(list_);
    layout->addLayout(buttons);
    layout->addWidget(note_);
    layout->addStretch();

    connect(refresh_, &QPushButton::clicked, this, [this] { refresh(); });
    connect(use_, &QPushButton::clicked, this, [this] {
        if (const auto adapter = picked())
            emit useRequested(*adapter);
    });
    connect(list_, &QListWidget::currentRowChanged, this, [this] { onPicked(); });
    connect(list_, &QListWidget::itemDoubleClicked, use_, &QPushButton::click);
    timer_.setInterval(kRefreshMs);
    connect(&timer_, &QTimer::timeout, this, [this] { refresh(); });
    refresh();
}

void AdapterPanel::refresh() {
    std::vector<SerialAdapter> now = source_.adapters();
    if (now == shown_ && list_->count() > 0)
        return; // untouched, so a scrolled or picked list stays as it is
    const std::optional<SerialAdapter> before = picked();
    shown_ = std::move(now);
    const QSignalBlocker quiet(list_);
    list_->clear();
    if (shown_.empty()) {
        // Two lines, so the advice fits the list's width.
        std::string text(kNoAdaptersText);
        text.replace(text.find(": ") + 1, 1, "\n");
        auto* hint = new QListWidgetItem(fromLocal8(text), list_);
        hint->setFlags(Qt::NoItemFlags);
    }
    for (std::size_t i = 0; i < shown_.size(); ++i) {
        auto* item = new QListWidgetItem(fromLocal8(adapterLabel(shown_[i])), list_);
        item->setToolTip(item->text());
        if (before && before->path == shown_[i].path)
            list_->setCurrentRow(static_cast<int>(i));
    }
    // The only adapter is the one the user means; one click fewer.
    if (shown_.size() == 1 && list_->currentRow() < 0)
        list_->setCurrentRow(0);
    onPicked();
}

std::optional<SerialAdapter> AdapterPanel::picked() const {
    const int row = list_->currentRow();
    if (row < 0 || static_cast<std::size_t>(row) >= shown_.size())
        return std::nullopt;
    return shown_[static_cast<std::size_t>(row)];
}

void AdapterPanel::setNote(const QString& text) {
    note_->setText(text);
}

void AdapterPanel::onPicked() {
    const auto adapter = picked();
    use_->setEnabled(adapter.has_value());
    // A refresh that keeps the same adapter picked keeps what the last link
    // said of it.
    const std::string path = adapter ? adapter->path : std::string();
    if (path == notedPath_)
        return;
    notedPath_ = path;
    note_->setText(adapter ? adapterAccessNote(*adapter) : QString());
}

void AdapterPanel::showEvent(QShowEvent* event) {
    refresh();
    timer_.start();
    QWidget::showEvent(event);
}

void AdapterPanel::hideEvent(QHideEvent* event) {
    timer_.stop();
    QWidget::hideEvent(event);
}

} // namespace korvane
