// Where the show reads its data set: one folder, "data" under the working directory unless
// the command line names another. Every data file is opened through dataPath, so the
// messages that name a file keep the "data/<file>" form with the default folder.
#pragma once

void setDataFolder(const char* folder);   // null or "" restores "data"; trailing slashes are dropped
const char* dataFolder();
const char* dataPath(const char* file);   // "<folder>/<file>", valid until the next call
int dataFolderExists();                   // 1 when the folder is a directory that can be read
// When the folder is missing: one line on stderr, "<program>: no data set in <folder>: ...",
// naming the folder looked in (absolute) and --data, and 1; 0 when it exists.
int reportMissingDataFolder(const char* program);
