#include "TestPrinter.h"

#include <winspool.h>

#include <fstream>
#include <sstream>

namespace {
const char kPrinterName[] = "Morvane Test Printer";
const char kDriverName[] = "Wine PostScript Driver";
const char kPpdName[] = "MORVTEST.PPD";
const char kOutputFolder[] = "C:\\morvane-test-printer";

// A colour PostScript printer at 300 dpi, A4 by default, with 18-point margins.
const char kPpd[] =
    "*PPD-Adobe: \"4.3\"\n"
    "*FormatVersion: \"4.3\"\n"
    "*FileVersion: \"1.0\"\n"
    "*LanguageVersion: English\n"
    "*LanguageEncoding: ISOLatin1\n"
    "*PCFileName: \"MORVTEST.PPD\"\n"
    "*Manufacturer: \"Morvane\"\n"
    "*Product: \"(Morvane Test Printer)\"\n"
    "*ModelName: \"Morvane Test Printer\"\n"
    "*ShortNickName: \"Morvane Test Printer\"\n"
    "*NickName: \"Morvane Test Printer\"\n"
    "*PSVersion: \"(3010.000) 0\"\n"
    "*LanguageLevel: \"3\"\n"
    "*ColorDevice: True\n"
    "*DefaultColorSpace: RGB\n"
    "*FileSystem: False\n"
    "*Throughput: \"1\"\n"
    "*TTRasterizer: Type42\n"
    "*DefaultResolution: 300dpi\n"
    "*Resolution 300dpi: \"<</HWResolution [300 300]>>setpagedevice\"\n"
    "*OpenUI *PageSize: PickOne\n"
    "*OrderDependency: 10 AnySetup *PageSize\n"
    "*DefaultPageSize: A4\n"
    "*PageSize A4/A4: \"<</PageSize [595 842]>>setpagedevice\"\n"
    "*PageSize Letter/Letter: \"<</PageSize [612 792]>>setpagedevice\"\n"
    "*CloseUI: *PageSize\n"
    "*OpenUI *PageRegion: PickOne\n"
    "*OrderDependency: 10 AnySetup *PageRegion\n"
    "*DefaultPageRegion: A4\n"
    "*PageRegion A4/A4: \"<</PageSize [595 842]>>setpagedevice\"\n"
    "*PageRegion Letter/Letter: \"<</PageSize [612 792]>>setpagedevice\"\n"
    "*CloseUI: *PageRegion\n"
    "*DefaultImageableArea: A4\n"
    "*ImageableArea A4/A4: \"18 18 577 824\"\n"
    "*ImageableArea Letter/Letter: \"18 18 594 774\"\n"
    "*DefaultPaperDimension: A4\n"
    "*PaperDimension A4/A4: \"595 842\"\n"
    "*PaperDimension Letter/Letter: \"612 792\"\n"
    "*DefaultFont: Courier\n"
    "*Font Courier: Standard \"(002.004S)\" Standard ROM\n";

// The host's path of a Windows path, through Wine's own conversion.
std::string UnixPath(const char* pszWindowsPath) {
    typedef char*(CDECL * Fn)(LPCWSTR);
    Fn fn = reinterpret_cast<Fn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!fn)
        return std::string();
    wchar_t wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, pszWindowsPath, -1, wide, MAX_PATH);
    char* p = fn(wide);
    std::string s = p ? p : "";
    if (p)
        HeapFree(GetProcessHeap(), 0, p);
    return s;
}

// The port: keep the job, then render it; the rendering appears under its name only when whole.
std::string PortCommand() {
    std::string dir = UnixPath(kOutputFolder);
    std::string ps = "'" + dir + "/job.ps'", ppm = "'" + dir + "/job.ppm'", tmp = "'" + dir + "/job.ppm.part'";
    return "|cat > " + ps + " && gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=ppmraw -r300 -sOutputFile=" + tmp + " " + ps +
           " && mv " + tmp + " " + ppm;
}

bool PrinterHasPort(const std::string& port) {
    HANDLE h = nullptr;
    if (!OpenPrinterA(const_cast<char*>(kPrinterName), &h, nullptr))
        return false;
    DWORD needed = 0;
    GetPrinterA(h, 2, nullptr, 0, &needed);
    std::vector<BYTE> buf(needed ? needed : 1);
    bool same = false;
    if (needed && GetPrinterA(h, 2, buf.data(), needed, &needed)) {
        const PRINTER_INFO_2A* pi = reinterpret_cast<const PRINTER_INFO_2A*>(buf.data());
        same = pi->pPortName && port == pi->pPortName;
        if (!same)
            DeletePrinter(h);  // made for another folder: made again below
    }
    ClosePrinter(h);
    return same;
}
}  // namespace

bool EnsureTestPrinter(std::string* pError) {
    CreateDirectoryA(kOutputFolder, nullptr);
    std::string port = PortCommand();
    if (port.size() < 10) {
        *pError = "no host path for the printer's output folder";
        return false;
    }
    if (!PrinterHasPort(port)) {
        char dir[MAX_PATH] = "";
        DWORD n = 0;
        if (!GetPrinterDriverDirectoryA(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(dir), sizeof dir, &n)) {
            *pError = "no printer driver folder";
            return false;
        }
        std::string ppd = std::string(dir) + "\\" + kPpdName;
        {
            std::ofstream f(ppd.c_str(), std::ios::binary);
            f << kPpd;
            if (!f) {
                *pError = "cannot write " + ppd;
                return false;
            }
        }
        DRIVER_INFO_3A di = {};
        di.cVersion = 3;
        di.pName = const_cast<char*>(kDriverName);
        di.pDriverPath = const_cast<char*>("wineps.drv");
        di.pConfigFile = const_cast<char*>("wineps.drv");
        di.pDataFile = const_cast<char*>(ppd.c_str());
        if (!AddPrinterDriverExA(nullptr, 3, reinterpret_cast<BYTE*>(&di), APD_COPY_NEW_FILES)) {
            *pError = "AddPrinterDriverEx failed: " + std::to_string(GetLastError());
            return false;
        }
        PRINTER_INFO_2A pi = {};
        pi.pPrinterName = const_cast<char*>(kPrinterName);
        pi.pPortName = const_cast<char*>(port.c_str());
        pi.pDriverName = const_cast<char*>(kDriverName);
        pi.pPrintProcessor = const_cast<char*>("WinPrint");
        pi.pDatatype = const_cast<char*>("RAW");
        pi.Attributes = PRINTER_ATTRIBUTE_LOCAL;
        HANDLE h = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&pi));
        if (!h) {
            *pError = "AddPrinter failed: " + std::to_string(GetLastError());
            return false;
        }
        ClosePrinter(h);
    }
    if (!SetDefaultPrinterA(kPrinterName)) {
        *pError = "SetDefaultPrinter failed";
        return false;
    }
    return true;
}

std::string TestPrinterPostScriptPath() {
    return std::string(kOutputFolder) + "\\job.ps";
}

std::string TestPrinterPixelsPath() {
    return std::string(kOutputFolder) + "\\job.ppm";
}

void ClearTestPrinterOutput() {
    DeleteFileA(TestPrinterPostScriptPath().c_str());
    DeleteFileA(TestPrinterPixelsPath().c_str());
}

bool PrintedPage::Load(const std::string& path) {
    std::ifstream f(path.c_str(), std::ios::binary);
    // Header fields, with "#" comments (Ghostscript names itself there) skipped.
    auto field = [&f](std::string* out) {
        for (;;) {
            if (!(f >> *out))
                return false;
            if ((*out)[0] != '#')
                return true;
            std::string rest;
            std::getline(f, rest);
        }
    };
    std::string magic, w, h, maxval;
    if (!field(&magic) || !field(&w) || !field(&h) || !field(&maxval) || magic != "P6" || maxval != "255")
        return false;
    m_width = atoi(w.c_str());
    m_height = atoi(h.c_str());
    if (m_width <= 0 || m_height <= 0)
        return false;
    f.get();  // the one white-space character before the pixels
    m_rgb.resize(static_cast<size_t>(m_width) * m_height * 3);
    f.read(reinterpret_cast<char*>(m_rgb.data()), static_cast<std::streamsize>(m_rgb.size()));
    return static_cast<size_t>(f.gcount()) == m_rgb.size();
}

COLORREF PrintedPage::at(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return RGB(255, 255, 255);
    size_t i = (static_cast<size_t>(y) * m_width + x) * 3;
    return RGB(m_rgb[i], m_rgb[i + 1], m_rgb[i + 2]);
}
