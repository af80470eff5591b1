// The status labels' prefixes and fixed values as GBK bytes, so that the Windows build (which
// converts literals to GBK) and the host build (which does not) hold the same texts. Macros, so
// that a whole label text can be joined at compile time: SPROUT_TEXT_SPEED SPROUT_TEXT_NO_RATE.
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
