// The one argument ambit starts skiff with: fields each followed by "$$",
// read strictly by position. Form 1 is a plain transfer
//   host$$remote path$$user$$scrambled password$$local path$$mode$$[ask$$]
// and form 2 hands an order file to the purchase flow
//   FINFO$$order file$$   or   RINFO$$order file$$
// Parsing is kept apart from the dialog so that every rule of the grammar
// can be checked without a window or a network.
#pragma once

#include <string>

namespace transfer {

// Takes the next field off the front of rest: the text before the first
// "$$"; rest continues after it. Without a "$$" the field is empty and rest
// is left as it is, so an unterminated last field reads as empty.
std::string TakeField(std::string& rest);

// The text after the last '/' of a path (the whole path when it has none).
std::string DisplayNameOf(const std::string& remotePath);

// Surrounding blanks, tabs and line ends removed.
std::string TrimBlanks(const std::string& text);

struct TransferCommand {
    std::string firstField;  // host, or "FINFO" / "RINFO"
    std::string host;        // firstField, trimmed (the host is trimmed when the work starts)
    std::string remotePath;
    std::string user;               // trimmed
    std::string scrambledPassword;  // trimmed, still scrambled
    std::string localPath;
    std::string modeText;
    std::string askFlag;
    std::string displayName;

    // A mode digit other than "0".."3" leaves these as they are: a binary
    // download, which neither sends a local file anywhere nor alters bytes.
    bool isDownload = true;
    bool isBinary = true;
    bool modeKnown = false;

    bool orderMode = false;     // FINFO or RINFO
    bool isResume = false;      // RINFO
    std::string orderFilePath;  // form 2: the text after field 1 without its closing "$$", trimmed

    bool AskWhatToDo() const { return askFlag == "N"; }
    // The new-version download: the user agreed to run what arrives.
    bool InstallRequested() const { return askFlag == "Y"; }
};

// Parses the whole argument. Never fails: missing fields read as empty, as
// the grammar says; the caller decides what an empty host or path means.
TransferCommand ParseTransferCommand(const std::string& argument);

}  // namespace transfer
