#include "fakes/TempDir.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsTestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <map>
#include <random>

namespace zelto {
namespace {

using testing::Bytes;
using testing::PutBytes;

class SettingsFormat : public ::testing::Test {
protected:
    fakes::TempDir dir_;
    std::filesystem::path path_ = dir_.File("ZeltoPre.INI");
};

TEST_F(SettingsFormat, MissingFileReadsDefaultsAndReadsCreateNothing) {
    const auto nested = dir_.Path() / "zelto-premium" / "ZeltoPre.INI";
    SettingsFile settings(nested);
    EXPECT_EQ(settings.ReadInt("numofdomains", 0), 0);
    EXPECT_EQ(settings.ReadInt("ipmethod", 2), 2);
    EXPECT_EQ(settings.ReadText("updatedip"), "");
    EXPECT_FALSE(std::filesystem::exists(nested.parent_path()));
}

TEST_F(SettingsFormat, FirstWriteCreatesFolderFileAndSection) {
    const auto nested = dir_.Path() / "a" / "zelto-premium" / "ZeltoPre.INI";
    SettingsFile settings(nested);
    ASSERT_TRUE(settings.WriteInt("numofdomains", 3));
    EXPECT_EQ(Bytes(nested), "[Zelto Systems Premium]\nnumofdomains=3\n");
    EXPECT_EQ(settings.ReadInt("numofdomains", 0), 3);
}

TEST_F(SettingsFormat, TextReadsAsAtMost68Characters) {
    SettingsFile settings(path_);
    for (const std::size_t length : {0, 1, 67, 68, 69, 200}) {
        const std::string value(length, 'x');
        ASSERT_TRUE(settings.WriteText("password1", value));
        EXPECT_EQ(settings.ReadText("password1"), value.substr(0, 68)) << length;
    }
}

TEST(IndexedKeyTest, AppendsTheNumberInDecimal) {
    EXPECT_EQ(IndexedKey("first_level", 1), "first_level1");
    EXPECT_EQ(IndexedKey("second_level", 12), "second_level12");
    EXPECT_EQ(IndexedKey("password", 999), "password999");
    EXPECT_EQ(IndexedKey("ignoreip", 7), "ignoreip7");
}

TEST_F(SettingsFormat, ReadIntTakesTheLeadingNumberAndClampsIt) {
    const std::vector<std::pair<std::string, int>> cases = {
        {"", 42},
        {"0", 0},
        {"12", 12},
        {"007", 7},
        {"12abc", 12},
        {"abc", 0},
        {"-3", -3},
        {"+7", 7},
        {"-", 0},
        {"1 2", 1},
        {"'17'", 17},
        {"2147483647", INT_MAX},
        {"2147483648", INT_MAX},
        {"-2147483648", INT_MIN},
        {"-2147483649", INT_MIN},
        {"99999999999999999999999999", INT_MAX},
        {"-99999999999999999999999999", INT_MIN},
    };
    std::string file = "[Zelto Systems Premium]\n";
    for (std::size_t i = 0; i < cases.size(); ++i) {
        file += "k" + std::to_string(i) + "=  " + cases[i].first + "\n";
    }
    PutBytes(path_, file);
    SettingsFile settings(path_);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(settings.ReadInt("k" + std::to_string(i), 42), cases[i].second) << "'" << cases[i].first << "'";
    }
    EXPECT_EQ(settings.ReadInt("missing", -5), -5);
}

TEST_F(SettingsFormat, WriteIntWritesPlainDecimal) {
    SettingsFile settings(path_);
    for (const auto& [value, text] : std::vector<std::pair<int, std::string>>{
             {0, "0"}, {3, "3"}, {12, "12"}, {-5, "-5"}, {INT_MAX, "2147483647"}, {INT_MIN, "-2147483648"}}) {
        ASSERT_TRUE(settings.WriteInt("numofdomains", value));
        EXPECT_EQ(Bytes(path_), "[Zelto Systems Premium]\nnumofdomains=" + text + "\n");
        EXPECT_EQ(settings.ReadInt("numofdomains", 1), value);
    }
}

// As the Windows program's profile functions leave it, edited by hand in between.
const std::string kWindowsFile = "; Zelto Premium settings\r\n"
                                 "[Other Program]\r\n"
                                 "numofdomains=99\r\n"
                                 "\r\n"
                                 "[ ZELTO systems PREMIUM ]\r\n"
                                 "NumOfDomains = 2 \r\n"
                                 "First_Level1=com\r\n"
                                 "second_level1 = \"my host\"\r\n"
                                 "\tpassword1='se;cret'\r\n"
                                 "; keep this comment\r\n"
                                 "numofdomains=7\r\n"
                                 "\r\n"
                                 "[Another]\r\n"
                                 "first_level2=net\r\n";

TEST_F(SettingsFormat, ReadsAFileTheWindowsProgramWrote) {
    PutBytes(path_, kWindowsFile);
    SettingsFile settings(path_);
    EXPECT_EQ(settings.ReadInt("numofdomains", 0), 2);
    EXPECT_EQ(settings.ReadText("first_level1"), "com");
    EXPECT_EQ(settings.ReadText("second_level1"), "my host");
    EXPECT_EQ(settings.ReadText("password1"), "se;cret");
    EXPECT_EQ(settings.ReadText("first_level2"), "");
    EXPECT_EQ(settings.ReadText("; keep this comment"), "");
}

TEST_F(SettingsFormat, WritesChangeOnlyTheirOwnLineAndKeepCrlf) {
    PutBytes(path_, kWindowsFile);
    SettingsFile settings(path_);
    ASSERT_TRUE(settings.WriteInt("numofdomains", 3));
    ASSERT_TRUE(settings.WriteText("first_level2", "org"));
    ASSERT_TRUE(settings.WriteText("password1", ""));
    EXPECT_EQ(Bytes(path_), "; Zelto Premium settings\r\n"
                            "[Other Program]\r\n"
                            "numofdomains=99\r\n"
                            "\r\n"
                            "[ ZELTO systems PREMIUM ]\r\n"
                            "numofdomains=3\r\n"
                            "First_Level1=com\r\n"
                            "second_level1 = \"my host\"\r\n"
                            "password1=\r\n"
                            "; keep this comment\r\n"
                            "numofdomains=7\r\n"
                            "first_level2=org\r\n"
                            "\r\n"
                            "[Another]\r\n"
                            "first_level2=net\r\n");
    EXPECT_EQ(settings.ReadText("first_level2"), "org");
    EXPECT_EQ(settings.ReadInt("numofdomains", 0), 3);
}

TEST_F(SettingsFormat, WhereNewKeysAndSectionsGo) {
    struct Case {
        std::string before;
        std::string after;
    };
    const std::vector<Case> cases = {
        {"", "[Zelto Systems Premium]\nkey=v\n"},
        {"[Other]\nk=v", "[Other]\nk=v\n[Zelto Systems Premium]\nkey=v\n"},
        {"[Other]\r\nk=v\r\n", "[Other]\r\nk=v\r\n[Zelto Systems Premium]\r\nkey=v\r\n"},
        {"[Zelto Systems Premium]\r\n[Other]\r\n", "[Zelto Systems Premium]\r\nkey=v\r\n[Other]\r\n"},
        {"[Zelto Systems Premium]\na=1", "[Zelto Systems Premium]\na=1\nkey=v\n"},
        {"\xEF\xBB\xBF[Zelto Systems Premium]\na=1\n", "\xEF\xBB\xBF[Zelto Systems Premium]\na=1\nkey=v\n"},
        {"[zelto systems premium]\nKEY=old\n[Zelto Systems Premium]\nkey=second\n",
         "[zelto systems premium]\nkey=v\n[Zelto Systems Premium]\nkey=second\n"},
    };
    for (const Case& c : cases) {
        PutBytes(path_, c.before);
        SettingsFile settings(path_);
        ASSERT_TRUE(settings.WriteText("key", "v"));
        EXPECT_EQ(Bytes(path_), c.after) << c.before;
    }
}

TEST_F(SettingsFormat, ValuesReadBackAsWritten) {
    SettingsFile settings(path_);
    for (const std::string value : {"", " lead", "trail\t", "\"quoted\"", "'single'", "'mixed\"", "a=b",
                                    "; not a comment", "[Not A Section]", "\"", "1.2.3.4"}) {
        ASSERT_TRUE(settings.WriteText("v", value));
        EXPECT_EQ(settings.ReadText("v"), value);
        EXPECT_EQ(SettingsFile(path_).ReadText("v"), value) << "through a fresh object";
    }
}

TEST_F(SettingsFormat, LineBreaksCannotReachTheFile) {
    SettingsFile settings(path_);
    ASSERT_TRUE(settings.WriteText("password1", "secret"));
    const std::string before = Bytes(path_);
    for (const std::string& value :
         std::vector<std::string>{"a\nb", "x\r\n[Evil]\r\nnumofdomains=9", "tail\r", std::string("nul\0", 4)}) {
        EXPECT_FALSE(settings.WriteText("password1", value));
    }
    for (const std::string key : {"", "a\nb", "k=v", " padded", "; comment", "[section]", "x\rnumofdomains"}) {
        EXPECT_FALSE(settings.WriteText(key, "1")) << key;
    }
    EXPECT_EQ(Bytes(path_), before);
    EXPECT_EQ(settings.ReadText("password1"), "secret");
}

// What the domain and ignore lists rely on: no write takes any other key away, stale keys survive, and a
// cleared key stays as key=. Checked against a model over a long run of writes to a hand-written file.
TEST_F(SettingsFormat, WritesNeverLoseOtherKeys) {
    PutBytes(path_, kWindowsFile);
    SettingsFile settings(path_);
    std::map<std::string, std::string> model = {
        {"first_level1", "com"}, {"second_level1", "my host"}, {"password1", "se;cret"}, {"numofdomains", "2"}};
    std::mt19937 random(7);
    const std::vector<std::string> bases = {"first_level", "second_level", "password", "ignoreip"};
    for (int i = 0; i < 300; ++i) {
        const std::string key = i % 10 == 0 ? "numofdomains" : IndexedKey(bases[random() % 4], 1 + random() % 6);
        const std::string value = random() % 5 == 0 ? "" : "v" + std::to_string(random() % 1000);
        ASSERT_TRUE(settings.WriteText(key, value));
        model[key] = value;
    }
    const std::string file = Bytes(path_);
    for (const auto& [key, value] : model) {
        EXPECT_EQ(settings.ReadText(key), value) << key;
        if (value.empty()) {
            EXPECT_NE(file.find("\r\n" + key + "=\r\n"), std::string::npos) << key;
        }
    }
    EXPECT_TRUE(file.starts_with("; Zelto Premium settings\r\n[Other Program]\r\nnumofdomains=99\r\n\r\n"));
    EXPECT_TRUE(file.ends_with("\r\n\r\n[Another]\r\nfirst_level2=net\r\n"));
    std::ptrdiff_t crlf = 0;
    for (auto at = file.find("\r\n"); at != std::string::npos; at = file.find("\r\n", at + 2)) {
        ++crlf;
    }
    EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), crlf) << "only CRLF line ends";
}

} // namespace
} // namespace zelto
