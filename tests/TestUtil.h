// Helpers shared by the test programs: a real start of the application inside the test
// process, message pumping, message-box watching, pixels, files and registry clean-up.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <vector>
#include <memory>
#include <string>
#include <thread>

#include "app/Norvel.h"
#include "frame/MainFrm.h"
#include "view/NorvelView.h"

// Dispatches messages (through the application's pre-translation, as the real loop does) for
// the given time, then does the idle work.
void PumpFor(DWORD ms);
// Dispatches what is waiting now, then does the idle work.
void PumpNow();

// Path of a file of the shared picture corpus, in Windows form (Z:\...).
std::string CorpusPath(const char* relative);
// Every file under a folder (given without a trailing backslash) and its subfolders.
void ListFiles(const std::string& folder, std::vector<std::string>* out);
// How many operations a leak soak makes: nShort in every run (exact counts show a leak of one
// object per operation within a few dozen), nLong in the soak entries (MORVANE_SOAK set).
int SoakSteps(int nShort, int nLong);
// A fresh, empty folder under the temporary folder.
std::string MakeTempFolder(const char* name);
void WriteFile(const std::string& path, const std::string& bytes);
// The bytes of a 24-bit bottom-up bitmap file whose pixel (x, y), y from the top, has the given colour.
std::string MakeBmp(int w, int h, const std::function<COLORREF(int x, int y)>& colourAt);
// Copies a corpus picture into a folder under the given name.
void CopyCorpusFile(const char* relative, const std::string& folder, const char* name);
// The pixels of a picture file as GDI+ decodes it, 0xAARRGGBB row by row from the top; false
// (and nothing filled) when it cannot be decoded. GDI+ must have been started.
bool ReadPixels(const std::string& path, std::vector<UINT>* pixels, UINT* width, UINT* height);
// Peak signal-to-noise ratio in dB of b against a over the red, green and blue of equally many
// 0xAARRGGBB pixels; 99 for equal pixels.
double Psnr(const std::vector<UINT>& a, const std::vector<UINT>& b);

// Removes HKEY_CURRENT_USER\Software\Morvane of ZENTARO.
void DeleteMorvaneRegistry();
// Reads a value under HKEY_CURRENT_USER\Software\Morvane of ZENTARO\Morvane\<section>.
bool ReadMorvaneString(const char* section, const char* entry, std::string* value);
bool ReadMorvaneDword(const char* section, const char* entry, DWORD* value);
// Writes a DWORD there, creating the keys; false when the registry refused.
bool WriteMorvaneDword(const char* section, const char* entry, DWORD value);

// The application started inside the test process as the program starts it.
class RunningApp {
public:
    // Unless bKeepSplash is set, the splash screen is ended at once, as its timer would end it:
    // it would cover the frame and swallow the test's first key or click. A splash kept is left
    // to the test with nothing pumped yet.
    explicit RunningApp(const char* cmdLine = "", bool bKeepSplash = false);
    ~RunningApp();
    RunningApp(const RunningApp&) = delete;
    RunningApp& operator=(const RunningApp&) = delete;

    bool started() const { return m_bStarted; }
    CNorvelApp& app() { return *m_app; }
    CMainFrame* frame() const;
    CNorvelView* view() const;
    // Closes the main frame and runs the application's exit, as the message loop's end does.
    void Exit();

private:
    std::unique_ptr<CNorvelApp> m_app;
    bool m_bStarted = false;
    bool m_bExited = false;
};

// Watches for a message box of this process while the test's thread runs a message loop;
// records its text and presses its default button.
class MessageBoxWatcher {
public:
    MessageBoxWatcher();
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;
    int count() const { return m_nSeen; }
    std::string lastText() const { return m_text; }
    std::string lastCaption() const { return m_caption; }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    static MessageBoxWatcher* s_pActive;
    int m_nSeen = 0;
    std::string m_text, m_caption;
    HWND m_hLastBox = nullptr;
    UINT_PTR m_nTimer = 0;
};

// Drives the open dialog from inside its own modal loop: a thread timer finds the dialog (the
// system's window) and its child panel (the program's template) and runs one step per tick;
// an empty step just waits a tick. The dialog is cancelled when the steps are done.
class DialogDriver {
public:
    typedef std::function<void(HWND hDialog, HWND hPanel)> Step;
    explicit DialogDriver(std::vector<Step> steps);
    ~DialogDriver();
    bool ran() const { return m_bRan; }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    static DialogDriver* s_pActive;
    std::vector<Step> m_steps;
    size_t m_nNext = 0;
    bool m_bRan = false;
    UINT_PTR m_nTimer = 0;
};

// Actions on an open dialog.
void DialogSetFileName(HWND hDialog, const std::string& text);
void DialogPressOk(HWND hDialog);
void DialogCancel(HWND hDialog);
// Makes the panel refresh its preview as it does on any notification.
void DialogNotifyPanel(HWND hDialog, HWND hPanel);
std::string DialogItemText(HWND hPanel, int nID);
// Waits until the dialog window is gone or the time is up.
bool WaitGone(HWND hWnd, DWORD ms);
// A shown dialog (class #32770) of this process that satisfies isWanted; nullptr when none is.
HWND FindProcessDialog(const std::function<bool(HWND hDialog)>& isWanted);
// Its caption.
std::string WindowCaption(HWND hWnd);

// Runs Open through the dialog on the given path (OK) or cancels it (empty path).
void OpenThroughDialog(CNorvelView* view, const std::string& path);

// Colours of a screen rectangle as they are now, row by row from the top.
std::vector<COLORREF> ScreenColours(const RECT& rc);
// Colour of a pixel of a window's client area as it is on the screen.
COLORREF ScreenPixel(HWND hWnd, int x, int y);
// Resets the view's module state to what a fresh process has.
void ResetViewState();

// GDI objects of this process (the system's count, or the handle table where that count is not
// kept, as under Wine), windows of this thread, and the memory the process has committed.
int CountGdiObjects();
int CountThreadWindows();
size_t CommittedBytes();
