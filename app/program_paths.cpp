// The program folder's files.
#include "app/program_paths.h"

Text ProgramDirFromModulePath(const char* modulePath)
{
    if (!modulePath)
        return Text();
    const char* afterSlash = nullptr;
    for (const char* p = modulePath; *p; p = NextChar(p)) {
        if (*p == '\\')
            afterSlash = p + 1;
    }
    if (!afterSlash)
        return Text();
    return Text(modulePath, static_cast<int>(afterSlash - modulePath));
}

Text SettingsFilePath(const Text& programDir)
{
    Text path(programDir);
    path.Append("settings.ini");
    return path;
}

Text BrandingFilePath(const Text& programDir)
{
    Text path(programDir);
    path.Append("info.pyd");
    return path;
}
