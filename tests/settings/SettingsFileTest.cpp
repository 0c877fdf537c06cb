// SettingsFile on every system: the Windows program's text format, and the threads of one process.

#include "settings/SettingsFile.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <climits>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace zelto {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

using fakes::ReadFile;
using fakes::WriteFile;

class SettingsFileTest : public ::testing::Test {
protected:
    fakes::TempDir dir_;
    fs::path path_ = dir_.File("ZeltoPre.INI");
};

TEST_F(SettingsFileTest, ReadsTextsAndNumbersAsTheProfileFunctionsDo) {
    struct Case {
        std::string key;
        std::string line; // "": the key is missing
        std::string text;
        int number; // read with default 42
    };
    const std::string x68(68, 'x');
    const Case cases[] = {
        {IndexedKey("ignoreip", 7), "", "", 42},
        {"updatedip", "updatedip=", "", 42},
        {IndexedKey("first_level", 12), "first_level12 =  com  ", "com", 0},
        {IndexedKey("password", 999), "password999=" + x68 + "y", x68, 0},
        {"b", "b=12abc", "12abc", 12},
        {"c", "c=-3", "-3", -3},
        {"e", "e='17'", "17", 17},
        {"f", "f=\"my host\"", "my host", 0},
        {"h", "h=2147483648", "2147483648", INT_MAX},
        {"i", "i=-2147483649", "-2147483649", INT_MIN},
    };
    std::string file = "[Zelto Systems Premium]\n";
    for (const Case& c : cases) {
        file += c.line.empty() ? "" : c.line + "\n";
    }
    WriteFile(path_, file);
    const SettingsFile settings(path_);
    for (const Case& c : cases) {
        EXPECT_EQ(settings.ReadText(c.key), c.text) << c.key;
        EXPECT_EQ(settings.ReadInt(c.key, 42), c.number) << c.key;
    }
}

// As the Windows program's profile functions leave it, edited by hand in between.
TEST_F(SettingsFileTest, WindowsFileReadsRightAndWritesChangeOnlyTheirOwnLine) {
    const std::string windowsFile = "[Other Program]\r\n"
                                    "numofdomains=99\r\n"
                                    "[ ZELTO systems PREMIUM ]\r\n"
                                    "NumOfDomains = 2 \r\n"
                                    "First_Level1=com\r\n"
                                    "\tpassword1='se;cret'\r\n"
                                    "first_level2=net\r\n"
                                    "; keep this comment\r\n"
                                    "numofdomains=7\r\n"
                                    "\r\n"
                                    "[Another]\r\n"
                                    "first_level3=org\r\n";
    WriteFile(path_, windowsFile);
    SettingsFile settings(path_);
    EXPECT_EQ(settings.ReadInt("numofdomains", 0), 2);
    EXPECT_EQ(settings.ReadText("first_level1"), "com");
    EXPECT_EQ(settings.ReadText("password1"), "se;cret");
    EXPECT_EQ(settings.ReadText("first_level3"), "");

    // Fewer domains leave the stale entry 2 in place; a cleared key stays as key=.
    ASSERT_TRUE(settings.WriteInt("numofdomains", 1));
    ASSERT_TRUE(settings.WriteText("password1", ""));
    ASSERT_TRUE(settings.WriteText("first_level3", "biz"));
    std::string expected = windowsFile;
    for (const auto& [from, to] : {std::pair{"NumOfDomains = 2 ", "numofdomains=1"},
                                   {"\tpassword1='se;cret'", "password1="},
                                   {"numofdomains=7\r\n", "numofdomains=7\r\nfirst_level3=biz\r\n"}})
        expected.replace(expected.find(from), std::string_view(from).size(), to);
    EXPECT_EQ(ReadFile(path_), expected);
}

TEST_F(SettingsFileTest, NewSectionOrKeyGoesWhereItIsFound) {
    const std::pair<std::string, std::string> cases[] = {
        {"[Other]\nk=v", "[Other]\nk=v\n[Zelto Systems Premium]\nkey=v\n"},
        {"[Zelto Systems Premium]\r\n[Other]\r\n", "[Zelto Systems Premium]\r\nkey=v\r\n[Other]\r\n"},
        {"\xEF\xBB\xBF[Zelto Systems Premium]\na=1\n", "\xEF\xBB\xBF[Zelto Systems Premium]\na=1\nkey=v\n"},
        // A lone carriage return ending the file is completed, not made part of the last value.
        {"[Zelto Systems Premium]\na=1\r", "[Zelto Systems Premium]\na=1\r\nkey=v\n"},
    };
    for (const auto& [before, after] : cases) {
        WriteFile(path_, before);
        ASSERT_TRUE(SettingsFile(path_).WriteText("key", "v"));
        EXPECT_EQ(ReadFile(path_), after) << before;
    }
}

TEST_F(SettingsFileTest, ValuesReadBackAsWrittenAndNoLineBreakReachesTheFile) {
    SettingsFile settings(path_);
    for (const std::string value :
         {" lead", "trail\t", "\"quoted\"", "'mixed\"", "\"", "a=b", "; not a comment", "[Not A Section]"}) {
        ASSERT_TRUE(settings.WriteText("v", value));
        EXPECT_EQ(SettingsFile(path_).ReadText("v"), value);
    }
    const std::string before = ReadFile(path_);
    for (const std::string value : {"a\nb", "x\r\n[Evil]\r\nnumofdomains=9", "tail\r"}) {
        EXPECT_FALSE(settings.WriteText("v", value)) << value;
    }
    for (const std::string key : {"", "k=v", " padded", "; comment", "[section]", "x\rnumofdomains"}) {
        EXPECT_FALSE(settings.WriteText(key, "1")) << key;
    }
    // Several keys are one change: one refused entry writes none of them.
    EXPECT_FALSE(settings.WriteTexts({{"updatedip", "10.0.0.1"}, {"updatedhour", "07\n"}}));
    EXPECT_EQ(ReadFile(path_), before);
    ASSERT_TRUE(settings.WriteTexts({{"updatedip", "10.0.0.1"}, {"v", "new"}, {"updatedhour", "07"}}));
    const SettingsFile other(path_);
    EXPECT_EQ(other.ReadText("updatedip") + other.ReadText("v") + other.ReadText("updatedhour"), "10.0.0.1new07");
}

// A file grown past the limit after it was looked at: refused, never read whole, and never written.
TEST_F(SettingsFileTest, FileGrownPastTheLimitIsRefusedAndKept) {
    const std::string good = "[Zelto Systems Premium]\nupdatedip=10.0.0.1\n";
    WriteFile(path_, good);
    SettingsFile settings(path_);
    EXPECT_EQ(settings.ReadText("updatedip"), "10.0.0.1");
    const std::string large = good + std::string(2 << 20, ';');
    WriteFile(path_, large);
    EXPECT_EQ(settings.ReadText("updatedip"), "");
    EXPECT_EQ(settings.LastError().fault, SettingsFault::TooLarge);
    EXPECT_FALSE(settings.WriteText("updatedip", "10.0.0.2"));
    EXPECT_EQ(ReadFile(path_), large);
}

// No one shows a thread waiting for the lock: the change stays open two seconds unless the read ends in it.
TEST_F(SettingsFileTest, AnotherThreadSeesALockedChangeWhole) {
    SettingsFile writer(path_);
    std::mutex mutex;
    std::condition_variable done;
    bool read = false, released = false;
    std::thread reader;
    {
        const SettingsFile::ChangeLock lock(writer);
        ASSERT_TRUE(writer.WriteText("first_level1", "com"));
        reader = std::thread([&] {
            const SettingsFile other(path_);
            const std::string seen = std::to_string(other.ReadInt("numofdomains", 0)) + other.ReadText("first_level1");
            const std::lock_guard guard(mutex);
            EXPECT_TRUE(released) << "the read ended inside the locked change";
            EXPECT_EQ(seen, "1com");
            read = true;
            done.notify_all();
        });
        std::unique_lock wait(mutex);
        done.wait_for(wait, 2s, [&] { return read; });
        const SettingsFile::ChangeLock again(writer); // re-entrant for this thread
        EXPECT_TRUE(writer.WriteInt("numofdomains", 1));
        released = true;
    }
    reader.join();
}

} // namespace
} // namespace zelto
