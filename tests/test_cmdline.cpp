// Command-line parsing as the start-up uses it.
#include <gtest/gtest.h>

#include "framework/Afx.h"

namespace {
CCommandLineInfo Parse(const char* cmdLine) {
    CWinApp app("Morvane");
    app.m_strCmdLine = cmdLine;
    CCommandLineInfo info;
    app.ParseCommandLine(info);
    return info;
}
}  // namespace

TEST(CommandLine, NoArgumentsMeansNewDocumentAndSplash) {
    CCommandLineInfo info = Parse("");
    EXPECT_EQ(CCommandLineInfo::FileNew, info.m_nShellCommand);
    EXPECT_TRUE(info.m_bShowSplash);
    EXPECT_TRUE(info.m_strFileName.IsEmpty());
}

TEST(CommandLine, AFileNameOpensIt) {
    CCommandLineInfo info = Parse("\"c:\\my pictures\\a b.jpg\" second.bmp");
    EXPECT_EQ(CCommandLineInfo::FileOpen, info.m_nShellCommand);
    EXPECT_EQ(CString("c:\\my pictures\\a b.jpg"), info.m_strFileName);
    EXPECT_TRUE(info.m_bShowSplash);
}

TEST(CommandLine, EmbeddingAndAutomationClearTheSplash) {
    EXPECT_FALSE(Parse("/Embedding").m_bShowSplash);
    EXPECT_FALSE(Parse("-Automation").m_bShowSplash);
    EXPECT_FALSE(Parse("-embedding").m_bShowSplash);
    EXPECT_TRUE(Parse("/Other").m_bShowSplash);
    CCommandLineInfo info = Parse("/Automation x.bmp");
    EXPECT_FALSE(info.m_bShowSplash);
    EXPECT_EQ(CCommandLineInfo::FileOpen, info.m_nShellCommand);
}

TEST(CommandLine, QuotesAndBackslashes) {
    EXPECT_EQ(CString("a\"b"), Parse("a\\\"b").m_strFileName);
    EXPECT_EQ(CString("c:\\dir\\"), Parse("\"c:\\dir\\\\\"").m_strFileName);
}
