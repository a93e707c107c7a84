// Profile settings in the registry and the recent-file list.
#include <gtest/gtest.h>

#include <shlwapi.h>

#include "framework/Afx.h"

namespace {
class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override {
        SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Profile Test Co");
        app.SetRegistryKey("Profile Test Co");
    }
    void TearDown() override { SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Profile Test Co"); }
    CWinApp app{"Tester"};
};
}  // namespace

TEST_F(ProfileTest, ValuesLiveUnderCompanyAndApplication) {
    EXPECT_EQ(7u, app.GetProfileInt("S", "n", 7));
    ASSERT_TRUE(app.WriteProfileInt("S", "n", 42));
    ASSERT_TRUE(app.WriteProfileString("S", "text", "hello"));
    EXPECT_EQ(42u, app.GetProfileInt("S", "n", 7));
    EXPECT_EQ(CString("hello"), app.GetProfileString("S", "text"));
    EXPECT_EQ(CString("dflt"), app.GetProfileString("S", "missing", "dflt"));

    HKEY h;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Profile Test Co\\Tester\\S", 0, KEY_READ, &h));
    DWORD v = 0, type = 0, size = sizeof v;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(h, "n", nullptr, &type, reinterpret_cast<BYTE*>(&v), &size));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
    EXPECT_EQ(42u, v);
    RegCloseKey(h);
}

TEST_F(ProfileTest, NullValueDeletesEntryAndNullEntryDeletesSection) {
    app.WriteProfileString("S", "a", "1");
    app.WriteProfileString("S", "b", "2");
    app.WriteProfileString("S", "a", nullptr);
    EXPECT_EQ(CString("gone"), app.GetProfileString("S", "a", "gone"));
    EXPECT_EQ(CString("2"), app.GetProfileString("S", "b"));
    app.WriteProfileString("S", nullptr, nullptr);
    EXPECT_EQ(CString("gone"), app.GetProfileString("S", "b", "gone"));
}

TEST_F(ProfileTest, WrongTypeReadsAsDefault) {
    app.WriteProfileString("S", "n", "12");
    EXPECT_EQ(5u, app.GetProfileInt("S", "n", 5));
}

TEST_F(ProfileTest, RecentFilesNewestFirstWithoutDuplicates) {
    app.LoadStdProfileSettings(4);
    for (const char* p : {"c:\\a.bmp", "c:\\b.bmp", "c:\\c.bmp", "C:\\A.BMP", "c:\\d.bmp", "c:\\e.bmp"})
        app.AddToRecentFileList(p);
    CRecentFileList& list = *app.m_pRecentFileList;
    ASSERT_EQ(4, list.GetSize());
    EXPECT_EQ(CString("c:\\e.bmp"), list[0]);
    EXPECT_EQ(CString("c:\\d.bmp"), list[1]);
    EXPECT_EQ(CString("C:\\A.BMP"), list[2]);
    EXPECT_EQ(CString("c:\\c.bmp"), list[3]);

    app.SaveStdProfileSettings();
    EXPECT_EQ(CString("c:\\e.bmp"), app.GetProfileString("Recent File List", "File1"));
    EXPECT_EQ(CString("c:\\c.bmp"), app.GetProfileString("Recent File List", "File4"));
    EXPECT_EQ(0u, app.GetProfileInt("Settings", "PreviewPages", 99));

    CWinApp again("Tester");
    again.SetRegistryKey("Profile Test Co");
    again.LoadStdProfileSettings(4);
    EXPECT_EQ(CString("c:\\d.bmp"), (*again.m_pRecentFileList)[1]);
}
