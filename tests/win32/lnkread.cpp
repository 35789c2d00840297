// Reads a shortcut file back through IShellLinkW and prints its four fields as UTF-8 lines:
// "target=", "arguments=", "workdir=", "icon=" (the icon file, then "," and the index when there is a file).
#include "win32/Handles.h"
#include "win32/WideText.h"

#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fputs("usage: lnkread FILE.lnk\n", stderr);
        return 2;
    }
    win::ComScope com;
    win::ComPtr<IShellLinkW> link;
    HRESULT hr =
        CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.putVoid());
    if (FAILED(hr)) {
        std::fprintf(stderr, "lnkread: no shell link object (0x%08lx)\n", static_cast<unsigned long>(hr));
        return 1;
    }
    auto file = link.query<IPersistFile>(IID_IPersistFile);
    if (!file || FAILED(hr = file->Load(argv[1], STGM_READ))) {
        std::fprintf(stderr, "lnkread: cannot load the shortcut (0x%08lx)\n", static_cast<unsigned long>(hr));
        return 1;
    }
    wchar_t target[MAX_PATH + 1] = {};
    wchar_t arguments[4096] = {};
    wchar_t workdir[MAX_PATH + 1] = {};
    wchar_t icon[MAX_PATH + 1] = {};
    int iconIndex = 0;
    // The raw path: no resolution against the file system, which would rewrite a missing target.
    link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
    link->GetArguments(arguments, 4096);
    link->GetWorkingDirectory(workdir, MAX_PATH);
    link->GetIconLocation(icon, MAX_PATH, &iconIndex);
    std::string iconText = win::toUtf8(icon);
    if (!iconText.empty())
        iconText += "," + std::to_string(iconIndex);
    std::string out = "target=" + win::toUtf8(target) + "\n" + "arguments=" + win::toUtf8(arguments) + "\n" +
                      "workdir=" + win::toUtf8(workdir) + "\n" + "icon=" + iconText + "\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}
