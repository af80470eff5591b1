// The engine command line as Sprout builds it.
#include "engine_interface/command_line.h"

Text EngineCommandLine(const Text& programDir, const Text& torrentName)
{
    Text line("\"");
    line.Append(programDir.c_str());
    line.Append("bt.exe\" --minport 8888 --maxport 9000 --display_interval 1.0 ");
    line.Append("\"");
    line.Append(programDir.c_str());
    line.Append(torrentName.c_str());
    line.Append("\"");
    return line;
}
