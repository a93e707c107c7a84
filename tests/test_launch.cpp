// Image Edit and Home page start the test's own recording program in place of the paint program
// and the browser: the exact command line, the show state, and the message when nothing starts.
#include <gtest/gtest.h>

#include <map>

#include "AppFixture.h"

namespace {
std::string TestProgramFolder() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path);
    return s.substr(0, s.find_last_of('\\') + 1);
}
std::string RecorderPath() {
    return TestProgramFolder() + "launch_recorder.exe";
}
// The record the recording program wrote, once it is complete; empty after the time is up.
std::string WaitForRecord(const std::string& path, DWORD ms = 60000) {
    DWORD end = GetTickCount() + ms;
    for (;;) {
        std::string s = ReadAll(path);
        if (s.find("\nend\n") != std::string::npos)
            return s;
        if (static_cast<LONG>(end - GetTickCount()) <= 0)
            return "";
        PumpFor(50);
    }
}
std::string Line(const std::string& record, const std::string& key) {
    size_t p = record.find("\n" + key + " ");
    if (record.compare(0, key.size() + 1, key + " ") == 0)
        p = 0;
    else if (p != std::string::npos)
        ++p;
    else
        return "<missing " + key + ">";
    size_t start = p + key.size() + 1;
    return record.substr(start, record.find('\n', start) - start);
}
// Sets an environment variable for the test's time and restores it afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : m_name(name) {
        char buf[32768];
        DWORD n = GetEnvironmentVariableA(name, buf, sizeof buf);
        m_bHad = n > 0 && n < sizeof buf;
        if (m_bHad)
            m_old = buf;
        SetEnvironmentVariableA(name, value.c_str());
    }
    ~ScopedEnv() { SetEnvironmentVariableA(m_name.c_str(), m_bHad ? m_old.c_str() : nullptr); }
    const std::string& old() const { return m_old; }

private:
    std::string m_name, m_old;
    bool m_bHad = false;
};
// Sets the default value of a key under HKEY_CLASSES_ROOT and restores it afterwards.
class ScopedClassCommand {
public:
    ScopedClassCommand(const char* key, const std::string& value) : m_key(key) {
        char buf[1024];
        LONG cb = sizeof buf;
        m_bHad = RegQueryValueA(HKEY_CLASSES_ROOT, key, buf, &cb) == ERROR_SUCCESS;
        if (m_bHad)
            m_old = buf;
        Set(value);
    }
    ~ScopedClassCommand() {
        if (m_bHad)
            Set(m_old);
    }
    void Set(const std::string& value) {
        RegSetValueA(HKEY_CLASSES_ROOT, m_key.c_str(), REG_SZ, value.c_str(), static_cast<DWORD>(value.size()));
    }

private:
    std::string m_key, m_old;
    bool m_bHad = false;
};
}  // namespace

class LaunchTest : public AppTest {};

TEST_F(LaunchTest, ImageEditStartsThePaintProgramMaximisedOnTheQuotedPath) {
    std::string paintDir = MakeTempFolder("paint program");
    ASSERT_TRUE(CopyFileA(RecorderPath().c_str(), (paintDir + "mspaint.exe").c_str(), FALSE));
    std::string record = MakeTempFolder("launch-edit") + "record.txt";
    std::string pictures = MakeTempFolder("edit dir");
    CopyCorpusFile("jpeg/video-001.jpeg", pictures, "my picture.jpg");

    ScopedEnv recordEnv("LAUNCH_RECORD", record);
    char path[32768];
    GetEnvironmentVariableA("PATH", path, sizeof path);
    {
        ScopedEnv pathEnv("PATH", paintDir.substr(0, paintDir.size() - 1) + ";" + path);
        Command(ID_IMAGE_EDIT);  // nothing shown yet: refused
        PumpFor(500);
        EXPECT_FALSE(FileExists(record));

        Open(pictures + "my picture.jpg");
        MessageBoxWatcher boxes;
        Command(ID_IMAGE_EDIT);
        std::string r = WaitForRecord(record);
        ASSERT_FALSE(r.empty());
        EXPECT_EQ("2", Line(r, "argc"));
        EXPECT_NE(std::string::npos, r.find("\narg 1 " + pictures + "my picture.jpg\n")) << r;
        EXPECT_NE(std::string::npos, Line(r, "cmdline").find("\"" + pictures + "my picture.jpg\""));
        EXPECT_EQ(std::to_string(SW_SHOWMAXIMIZED), Line(r, "show"));
        EXPECT_EQ(0, boxes.count());
    }
    // Without the program on the search path, the shell cannot start it: the user is told.
    DeleteFileA(record.c_str());
    MessageBoxWatcher boxes;
    Command(ID_IMAGE_EDIT);
    PumpFor(1000);
    EXPECT_EQ(1, boxes.count());
    EXPECT_EQ("The paint program (mspaint.exe) could not be started.", boxes.lastText());
    EXPECT_FALSE(FileExists(record));
}

TEST_F(LaunchTest, HomePageOpensTheAddressInTheBrowserShownNormally) {
    std::string record = MakeTempFolder("launch-home") + "record.txt";
    ScopedEnv recordEnv("LAUNCH_RECORD", record);
    {
        ScopedClassCommand http("http\\shell\\open\\command", "\"" + RecorderPath() + "\" \"%1\"");
        MessageBoxWatcher boxes;
        Command(ID_HELP_HOMEPAGE);  // always enabled, also with nothing shown
        std::string r = WaitForRecord(record);
        ASSERT_FALSE(r.empty());
        EXPECT_EQ("2", Line(r, "argc"));
        EXPECT_NE(std::string::npos, r.find("\narg 1 http://morvane.zentaro.example/\n")) << r;
        EXPECT_EQ(std::to_string(SW_SHOWNORMAL), Line(r, "show"));
        EXPECT_EQ(0, boxes.count());

        DeleteFileA(record.c_str());
        http.Set("\"Z:\\nowhere\\no-browser.exe\" \"%1\"");
        MessageBoxWatcher boxes2;
        Command(ID_HELP_HOMEPAGE);
        PumpFor(1000);
        EXPECT_EQ(1, boxes2.count());
        EXPECT_EQ("No web browser could be started for http://morvane.zentaro.example/", boxes2.lastText());
    }
}
