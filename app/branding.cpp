// Reading info.pyd through the INI functions.
#include "app/branding.h"

#include <windows.h>

#include "app/program_paths.h"

namespace {

struct BrandingEntry {
    const char* name;
    const char* defaultValue;
};

const BrandingEntry kEntries[] = {
    {"help", "http://www.example.com/"},
    {"label", "点击这里免费注册会员，享受更多精彩的下载资源！"},
    {"tip", "http://www.example.com/"},
    {"link", "http://www.example.com/UCenter/reguser.asp"},
};

const BrandingEntry& EntryFor(BrandingKey key) { return kEntries[static_cast<int>(key)]; }

}  // namespace

const char* BrandingDefault(BrandingKey key) { return EntryFor(key).defaultValue; }

Text ReadBranding(const Text& programDir, BrandingKey key)
{
    const BrandingEntry& entry = EntryFor(key);
    char value[260] = {};
    GetPrivateProfileStringA("INFO", entry.name, entry.defaultValue, value, sizeof(value),
                             BrandingFilePath(programDir).c_str());
    return Text(value);
}
