// Every text the program shows at run time, the one place the program and its tests take
// them from: the status labels' prefixes and fixed values, the status line, the Start/Stop
// button, the failure balloon and the file list. GBK bytes, so that the Windows build (which
// converts literals to GBK) and the host build (which does not) hold the same texts. The
// pieces that are joined at compile time are macros: SPROUT_TEXT_SPEED SPROUT_TEXT_NO_RATE.
// (The dialog template's own texts live in res/sprout.rc.)
#pragma once

// 文件大小：
#define SPROUT_TEXT_FILE_SIZE "\xCE\xC4\xBC\xFE\xB4\xF3\xD0\xA1\xA3\xBA"
// 剩余时间：
#define SPROUT_TEXT_TIME_LEFT "\xCA\xA3\xD3\xE0\xCA\xB1\xBC\xE4\xA3\xBA"
// 下载速度：
#define SPROUT_TEXT_SPEED "\xCF\xC2\xD4\xD8\xCB\xD9\xB6\xC8\xA3\xBA"
// 已经下载：
#define SPROUT_TEXT_DOWNLOADED "\xD2\xD1\xBE\xAD\xCF\xC2\xD4\xD8\xA3\xBA"
// 完成
#define SPROUT_TEXT_FINISHED "\xCD\xEA\xB3\xC9"
// 未知
#define SPROUT_TEXT_UNKNOWN "\xCE\xB4\xD6\xAA"
#define SPROUT_TEXT_NO_RATE "0.0 kB/s"

// 下载状态：, the status line's prefix
#define SPROUT_TEXT_STATUS "\xCF\xC2\xD4\xD8\xD7\xB4\xCC\xAC\xA3\xBA"

// The whole texts, as the window and the tests use them.
namespace texts {
// 下载状态：停止
constexpr char kStatusStopped[] = SPROUT_TEXT_STATUS "\xCD\xA3\xD6\xB9";
// 下载状态：下载中....
constexpr char kStatusDownloading[] = SPROUT_TEXT_STATUS "\xCF\xC2\xD4\xD8\xD6\xD0....";
// 下载状态：正在终止下载任务....
constexpr char kStatusStopping[] =
    SPROUT_TEXT_STATUS "\xD5\xFD\xD4\xDA\xD6\xD5\xD6\xB9\xCF\xC2\xD4\xD8\xC8\xCE\xCE\xF1....";
// 开始下载(&S)
constexpr char kStartDownload[] = "\xBF\xAA\xCA\xBC\xCF\xC2\xD4\xD8(&S)";
// 停止下载(&S)
constexpr char kStopDownload[] = "\xCD\xA3\xD6\xB9\xCF\xC2\xD4\xD8(&S)";
// 开始(&S): the button's text before the first press only
constexpr char kStartShort[] = "\xBF\xAA\xCA\xBC(&S)";
// The speed and the time left as a stop leaves them.
constexpr char kSpeedReset[] = SPROUT_TEXT_SPEED SPROUT_TEXT_NO_RATE;
constexpr char kTimeLeftReset[] = SPROUT_TEXT_TIME_LEFT SPROUT_TEXT_UNKNOWN;

// 下载失败: the title of the balloon that tells of a failure
constexpr char kDownloadFailed[] = "\xCF\xC2\xD4\xD8\xCA\xA7\xB0\xDC";
// 无法启动下载程序：<engine path>
constexpr char kCannotStart[] =
    "\xCE\xDE\xB7\xA8\xC6\xF4\xB6\xAF\xCF\xC2\xD4\xD8\xB3\xCC\xD0\xF2\xA3\xBA";
// 下载程序意外停止，退出代码：<code>
constexpr char kEngineEnded[] =
    "\xCF\xC2\xD4\xD8\xB3\xCC\xD0\xF2\xD2\xE2\xCD\xE2\xCD\xA3\xD6\xB9\xA3\xAC"
    "\xCD\xCB\xB3\xF6\xB4\xFA\xC2\xEB\xA3\xBA";

// 无法读取种子文件: the file list's one line for a torrent it cannot read
constexpr char kTorrentUnreadable[] =
    "\xCE\xDE\xB7\xA8\xB6\xC1\xC8\xA1\xD6\xD6\xD7\xD3\xCE\xC4\xBC\xFE";
// 文件 and 大小: the file list's column headings
constexpr char kFileColumn[] = "\xCE\xC4\xBC\xFE";
constexpr char kSizeColumn[] = "\xB4\xF3\xD0\xA1";
// 合计：<count> 个文件: the file list's last row
constexpr char kTotalPrefix[] = "\xBA\xCF\xBC\xC6\xA3\xBA";
constexpr char kTotalSuffix[] = " \xB8\xF6\xCE\xC4\xBC\xFE";
// …: where the file list leaves part of a path out that its line has no room for
constexpr char kEllipsis[] = "\xA1\xAD";
}  // namespace texts
