// Prints how long Save As takes for the corpus's largest decodable JPEG, to PNG and to JPEG,
// beside the bare GDI+ load and save of the same picture in the same run.
#include <stdio.h>

#include "Bench.h"
#include "TestUtil.h"
#include "framework/GdiPlus.h"
#include "view/ImageExport.h"

namespace {
void BareSave(const std::wstring& source, const std::wstring& target, const CLSID& clsid) {
    Gdiplus::Image image(source.c_str());
    image.Save(target.c_str(), &clsid, nullptr);
}
std::wstring Wide(const std::string& s) {
    return std::wstring(s.begin(), s.end());
}
}  // namespace

int main() {
    RunningApp run;  // the program's own start-up, GDI+ included
    if (!run.started())
        return 1;
    CNorvelView* view = run.view();
    const std::string source = CorpusPath("large/Honeywave-5120x2880.jpg");
    const std::string folder = MakeTempFolder("benchsave");
    const int kRuns = 3;
    printf("Save As of %s (5120 x 2880), median of %d runs\n", "large/Honeywave-5120x2880.jpg", kRuns);
    struct {
        const char* name;
        const char* ext;
        const wchar_t* mime;
    } formats[] = {{"PNG", "png", L"image/png"}, {"JPEG", "jpg", L"image/jpeg"}};
    for (const auto& f : formats) {
        CLSID clsid;
        if (!FindEncoderByMimeType(f.mime, &clsid))
            return 2;
        std::string ours = folder + "ours." + f.ext, bare = folder + "bare." + f.ext;
        view->SaveChosenFile(source.c_str(), ours.c_str());  // warm-up: file cache, codec set-up
        double tOurs = Median(kRuns, [&] { view->SaveChosenFile(source.c_str(), ours.c_str()); });
        double tBare = Median(kRuns, [&] { BareSave(Wide(source), Wide(bare), clsid); });
        printf("Save As to %-4s %8.3f s   bare GDI+ load and save %8.3f s   ratio %5.2f\n", f.name, tOurs, tBare,
               tOurs / tBare);
    }
    return 0;
}
