#include "config/tag_value.h"
#include "config/tagged_fields.h"

#include <gtest/gtest.h>

#include <optional>

namespace korvane {
namespace {

struct Case {
    const char* text;
    const char* key;
    std::optional<std::string_view> expected;
};

TEST(TagValue, FirstOpeningAndFirstClosingTagDecide) {
    const Case cases[] = {
        {"<Port>2</Port>", "Port", "2"},
        {"header\r\n<Port>2</Port>\r\n", "Port", "2"},
        {"<LogOn>1</LogOn><Port>3</Port>", "Port", "3"},  // any order, one line
        {"junk<Port> 2 </Port>junk", "Port", " 2 "},      // blanks kept
        {"<Port></Port>", "Port", ""},                    // empty is present
        {"<Port>1</Port><Port>2</Port>", "Port", "1"},    // first pair
        {"<Port>1<Port>2</Port>", "Port", "1<Port>2"},    // first open, first close
        {"<port>2</port>", "Port", std::nullopt},         // case-sensitive
        {"</Port>7<Port>", "Port", std::nullopt},         // reversed: absent
        {"</Port>x<Port>2</Port>", "Port", std::nullopt}, // first close is before
        {"<Port>2", "Port", std::nullopt},
        {"", "Port", std::nullopt},
        {"<WSUnits>km/h</WSUnits>", "WSUnits", "km/h"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(tagValue(c.text, c.key), c.expected);
    }
}

TEST(TaggedText, PacketFieldRulesMatchTheSettingsRule) {
    EXPECT_EQ(taggedText("[<V>512</V>]", "<V>", "</V>"), "512");
    EXPECT_EQ(taggedText("[</V>7<V>]", "<V>", "</V>"), std::nullopt);
    EXPECT_EQ(taggedText("[<V></V>]", "<V>", "</V>"), "");
    EXPECT_EQ(taggedText("[<v>12</v>]", "<V>", "</V>"), std::nullopt);
    EXPECT_EQ(taggedText("[<V>1</V><V>2</V>]", "<V>", "</V>"), "1");
}

} // namespace
} // namespace korvane

namespace korvane {
namespace {

struct Escaped {
    std::string Password;
    std::string TLS;
};
constexpr TaggedField<Escaped> kEscapedFields[] = {{"Password", &Escaped::Password},
                                                   {"TLS", &Escaped::TLS}};

TEST(EscapedTags, AValueCannotEndItsTagOrSmuggleAnother) {
    const Escaped typed{"a</Password><TLS>0</TLS>&amp;<", "1"};
    std::string file;
    writeEscapedTaggedLines(file, typed, kEscapedFields);
    EXPECT_EQ(file,
              "<Password>a&lt;/Password&gt;&lt;TLS&gt;0&lt;/TLS&gt;&amp;amp;&lt;</Password>\r\n"
              "<TLS>1</TLS>\r\n");
    const Escaped read = readEscapedTaggedFields(file, Escaped{}, kEscapedFields);
    EXPECT_EQ(read.Password, typed.Password);
    EXPECT_EQ(read.TLS, "1");
}

TEST(EscapedTags, OnlyTheThreeEntitiesAreTurnedBack) {
    // Files written before escaping keep their meaning: a bare "&" stays.
    EXPECT_EQ(unescapeTagText("R&D &quot; &lt;&gt;&amp; &am"), "R&D &quot; <>& &am");
}

} // namespace
} // namespace korvane
