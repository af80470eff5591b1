// What the window shows, as the tests expect it (GBK at run time, like the program's).
#pragma once

namespace reliability {

constexpr char kStatusStopped[] = "下载状态：停止";
constexpr char kStatusDownloading[] = "下载状态：下载中....";
constexpr char kButtonFirstStart[] = "开始(&S)";
constexpr char kButtonStart[] = "开始下载(&S)";
constexpr char kButtonStop[] = "停止下载(&S)";
constexpr char kSpeedReset[] = "下载速度：0.0 kB/s";
constexpr char kTimeLeftUnknown[] = "剩余时间：未知";
constexpr char kFileSizePrefix[] = "文件大小：";
constexpr char kTimeLeftPrefix[] = "剩余时间：";
constexpr char kSpeedPrefix[] = "下载速度：";
constexpr char kDownloadedPrefix[] = "已经下载：";

}  // namespace reliability
