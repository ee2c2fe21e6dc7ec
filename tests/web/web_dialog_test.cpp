#include "web/ui/web_dialog.h"

#include "support/temp_dir.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace korvane {
namespace {

template <typename T> T* child(QWidget& w, const char* name) {
    T* c = w.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

TEST(WebDialog, ShowsTheDefaultsAndTheAddressToType) {
    test::TempDir dir;
    RecordingMessageSink messages;
    WebDialog dialog(dir.path(), messages);
    EXPECT_FALSE(child<QCheckBox>(dialog, "Enabled")->isChecked());
    EXPECT_EQ(child<QLineEdit>(dialog, "Listen")->text(), "127.0.0.1");
    EXPECT_EQ(child<QLineEdit>(dialog, "Port")->text(), "8470");
    auto* addresses = child<QLabel>(dialog, "Addresses");
    EXPECT_TRUE(addresses->text().contains("http://127.0.0.1:8470/"));
    EXPECT_TRUE(addresses->text().contains("other devices cannot reach it"));

    child<QLineEdit>(dialog, "Listen")->setText("0.0.0.0");
    EXPECT_TRUE(addresses->text().contains("On a phone or another computer type:"));
    for (const std::string& a : lanAddresses())
        EXPECT_TRUE(addresses->text().contains(QString::fromStdString(a))) << a;
    dialog.resize(dialog.sizeHint());
    dialog.grab().save("/tmp/korvane-web-dialog.png");
    child<QLineEdit>(dialog, "Port")->setText("99999");
    EXPECT_TRUE(addresses->text().startsWith("Port must"));
}

TEST(WebDialog, SaveRefusesABadFieldAndWritesAGoodOne) {
    test::TempDir dir;
    RecordingMessageSink messages;
    WebDialog dialog(dir.path(), messages);
    child<QCheckBox>(dialog, "Enabled")->setChecked(true);
    child<QLineEdit>(dialog, "Listen")->setText("my-pc");
    child<QLineEdit>(dialog, "Password")->setText("a<b>&c");
    child<QPushButton>(dialog, "Save")->click();
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].rfind("Listen must be a numeric address", 0), 0u);
    EXPECT_FALSE(dialog.result() == QDialog::Accepted);

    child<QLineEdit>(dialog, "Listen")->setText("0.0.0.0");
    child<QPushButton>(dialog, "Save")->click();
    EXPECT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(loadWebConfig(dir.path()), (WebConfig{"1", "0.0.0.0", "8470", "a<b>&c"}));
    EXPECT_NE(dir.read("web.cfg").find("<Password>a&lt;b&gt;&amp;c</Password>"), std::string::npos);
}

} // namespace
} // namespace korvane
