// Every text the program shows at run time, the one place the program and its tests take
// them from: the status labels' prefixes and fixed values, the status line and the Start/Stop
// button. GBK bytes, so that the Windows build (which converts literals to GBK) and the host
// build (which does not) hold the same texts. Macros, so that a whole label text can be joined
// at compile time: SPROUT_TEXT_SPEED SPROUT_TEXT_NO_RATE. (The dialog template's own texts
// live in res/sprout.rc.)
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

// 下载状态：
#define SPROUT_TEXT_STATUS "\xCF\xC2\xD4\xD8\xD7\xB4\xCC\xAC\xA3\xBA"
// 下载状态：停止
#define SPROUT_TEXT_STATUS_STOPPED SPROUT_TEXT_STATUS "\xCD\xA3\xD6\xB9"
// 下载状态：下载中....
#define SPROUT_TEXT_STATUS_DOWNLOADING SPROUT_TEXT_STATUS "\xCF\xC2\xD4\xD8\xD6\xD0...."
// 下载状态：正在终止下载任务....
#define SPROUT_TEXT_STATUS_STOPPING \
    SPROUT_TEXT_STATUS "\xD5\xFD\xD4\xDA\xD6\xD5\xD6\xB9\xCF\xC2\xD4\xD8\xC8\xCE\xCE\xF1...."
// 开始下载(&S)
#define SPROUT_TEXT_START_DOWNLOAD "\xBF\xAA\xCA\xBC\xCF\xC2\xD4\xD8(&S)"
// 停止下载(&S)
#define SPROUT_TEXT_STOP_DOWNLOAD "\xCD\xA3\xD6\xB9\xCF\xC2\xD4\xD8(&S)"
// 开始(&S): the button's text before the first press only
#define SPROUT_TEXT_START_SHORT "\xBF\xAA\xCA\xBC(&S)"

// The whole texts, as the window and the tests use them.
namespace texts {
constexpr char kStatusStopped[] = SPROUT_TEXT_STATUS_STOPPED;
constexpr char kStatusDownloading[] = SPROUT_TEXT_STATUS_DOWNLOADING;
constexpr char kStatusStopping[] = SPROUT_TEXT_STATUS_STOPPING;
constexpr char kStartDownload[] = SPROUT_TEXT_START_DOWNLOAD;
constexpr char kStopDownload[] = SPROUT_TEXT_STOP_DOWNLOAD;
constexpr char kStartShort[] = SPROUT_TEXT_START_SHORT;
constexpr char kSpeedReset[] = SPROUT_TEXT_SPEED SPROUT_TEXT_NO_RATE;
constexpr char kTimeLeftReset[] = SPROUT_TEXT_TIME_LEFT SPROUT_TEXT_UNKNOWN;
}  // namespace texts
