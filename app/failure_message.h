// The texts of the balloon that tells the user a download could not start or that the
// engine stopped by itself. Portable: the system's parts (its error message, the engine's
// path, the last line of standard error) are handed in.
#pragma once

// The balloon's title, over both texts.

// "无法启动下载程序：<engine path>", then the system's message on the next line.
void FormatStartFailureText(const char* systemMessage, const char* enginePath, char* out,
                            int size);

// "下载程序意外停止，退出代码：<code>", then the engine's last line of standard error when
// there is one.
// Codes beyond 16 bits (exceptions, NTSTATUS values) are shown in hexadecimal.
void FormatEngineStoppedText(unsigned long exitCode, const char* lastLine, char* out, int size);
