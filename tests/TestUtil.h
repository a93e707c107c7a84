// Helpers shared by the test programs: a real start of the application inside the test
// process, message pumping, message-box watching and dialog driving, files and registry clean-up;
// the screen and the real mouse and keys are DesktopUtil's.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <vector>
#include <memory>
#include <string>
#include <thread>
#include <type_traits>

#include "DesktopUtil.h"
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
// Path of one of the small pictures beside the tests (pictures/SOURCES.txt says how each was made).
std::string TestPicture(const char* name);
// Every file under a folder (given without a trailing backslash) and its subfolders.
void ListFiles(const std::string& folder, std::vector<std::string>* out);
// Every file of the corpus, or of one of its folders, and their subfolders.
std::vector<std::string> CorpusFiles(const char* folder = "");
// Names of the files of a folder (given with its backslash) that match a pattern such as "mrv*.tmp".
std::vector<std::string> FilesMatching(const std::string& folder, const char* pattern);
// How many operations a leak soak makes: nShort in every run (exact counts show a leak of one
// object per operation within a few dozen), nLong in the soak entries (MORVANE_SOAK set).
int SoakSteps(int nShort, int nLong);
// A fresh, empty folder under the temporary folder.
std::string MakeTempFolder(const char* name);
// The file helpers below take a path of any length and names as given (a trailing dot or space).
void WriteFile(const std::string& path, const std::string& bytes);
// The bytes of a file (empty when it cannot be read; others may have it open meanwhile).
std::string ReadAll(const std::string& path);
bool FileExists(const std::string& path);
// The bytes of a 24-bit bottom-up bitmap file whose pixel (x, y), y from the top, has the given colour.
std::string MakeBmp(int w, int h, const std::function<COLORREF(int x, int y)>& colourAt);
// Copies a corpus picture into a folder under the given name, kept exactly (a trailing dot or
// space, a path of any length).
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

// Drives a dialog (by default the file dialog) from inside its own modal loop. A step runs once
// the window it needs is up and ready for a user (shown, enabled, and its loop idle after the
// step before): the dialog, or the one a step names (a box over the dialog). An empty step waits
// for one such round. When the steps are done the dialog is cancelled. After msTimeout without
// that, every dialog of the process is ended, so that a test fails instead of hanging.
class DialogDriver {
public:
    typedef std::function<void(HWND hDialog, HWND hPanel)> Run;
    typedef std::function<void(HWND hDialog)> RunOnDialog;
    typedef std::function<bool(HWND hDialog)> Wanted;
    struct Step {
        Step(std::nullptr_t) {}
        template <class F, typename std::enable_if<std::is_convertible<F, Run>::value, int>::type = 0>
        Step(F f) : run(std::move(f)) {}
        template <class F, typename std::enable_if<std::is_convertible<F, RunOnDialog>::value, int>::type = 0>
        Step(F f) : run([g = RunOnDialog(std::move(f))](HWND hDialog, HWND) { g(hDialog); }) {}
        template <class F>
        Step(Wanted w, F f) : Step(std::move(f)) {
            wanted = std::move(w);
        }
        Wanted wanted;  // empty: the dialog driven
        Run run;        // given the dialog and the file dialog's panel (either may be null)
    };
    explicit DialogDriver(std::vector<Step> steps, Wanted dialog = nullptr, DWORD msTimeout = 60000);
    ~DialogDriver();
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;
    // A step ran, and the driver did not have to give up.
    bool ran() const { return m_bRan && !m_bTimedOut; }
    bool timedOut() const { return m_bTimedOut; }
    size_t stepsRun() const { return m_nNext; }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    static DialogDriver* s_pActive;
    std::vector<Step> m_steps;
    Wanted m_dialog;
    size_t m_nNext = 0;
    bool m_bRan = false;
    bool m_bTimedOut = false;
    DWORD m_nTimeout;
    DWORD m_nStarted;
    UINT_PTR m_nTimer = 0;
};

// The file dialog once it shows the folder (given with or without its backslash): the wait of a
// step after one that sent the dialog into a folder.
DialogDriver::Wanted FileDialogInFolder(const std::string& folder);

// Actions on an open dialog.
void DialogSetFileName(HWND hDialog, const std::string& text);
void DialogPressOk(HWND hDialog);
void DialogCancel(HWND hDialog);
// Makes the panel refresh its preview as it does on any notification.
void DialogNotifyPanel(HWND hDialog, HWND hPanel);
std::string DialogItemText(HWND hPanel, int nID);
// Waits until the dialog window is gone or the time is up.
bool WaitGone(HWND hWnd, DWORD ms);
// A shown dialog (class #32770) of process pid (0: this one) that satisfies isWanted; nullptr when
// none is.
HWND FindProcessDialog(const std::function<bool(HWND hDialog)>& isWanted, DWORD pid = 0);
// One with that caption.
HWND FindDialogCaptioned(const std::string& caption, DWORD pid = 0);
// One of this process that satisfies isWanted and is ready for a user: shown, enabled (no box of
// its own over it) and, when it runs on the calling thread, with nothing left in the queue.
HWND FindReadyDialog(const std::function<bool(HWND hDialog)>& isWanted);
// Waits for such a dialog (pumping, on the program's thread); nullptr when the time is up.
HWND WaitForDialog(const std::function<bool(HWND hDialog)>& isWanted, DWORD ms = 15000);
// Its caption.
std::string WindowCaption(HWND hWnd);

// Runs Open through the dialog on the given path (OK) or cancels it (empty path).
void OpenThroughDialog(CNorvelView* view, const std::string& path);

// GDI objects of this process (the system's count, or the handle table where that count is not
// kept, as under Wine), windows of this thread, and the memory the process has committed.
int CountGdiObjects();
int CountThreadWindows();
size_t CommittedBytes();
