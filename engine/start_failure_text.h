// The text a failed start hands to OnStdout: "Unable to start <command line>\n". A long
// command line is cut on a character boundary so that the text always fits its buffer.
#pragma once

const int kStartFailureTextBytes = 256;  // terminator included

void FormatStartFailure(const char* commandLine, char (&text)[kStartFailureTextBytes]);
