#pragma once

#include <string>
#include <string_view>

// The framework's messages, as the user reads them. %1 stands for a file name
// or a document title.
namespace texts {

inline constexpr const char* kUntitled = "無題";
inline constexpr const char* kAskToSave = "%1 への変更を保存しますか?";
inline constexpr const char* kUnexpectedFormat = "予期しないﾌｧｲﾙ形式です。";
inline constexpr const char* kFileNotFound = "%1 が見つかりませんでした。";
inline constexpr const char* kAccessDenied = "%1 へのｱｸｾｽは拒否されました。";
inline constexpr const char* kDiskFull = "%1 へのｱｸｾｽ中にﾃﾞｨｽｸがいっぱいになりました。";
inline constexpr const char* kSharingViolation = "%1 へのｱｸｾｽ中に共有違反が発生しました。";
inline constexpr const char* kFileGeneric = "%1 へのｱｸｾｽ中に予期しないｴﾗｰが発生しました。";
inline constexpr const char* kOpenTitle = "開く";
inline constexpr const char* kSaveAsTitle = "名前を付けて保存";
inline constexpr const char* kAllFilesName = "すべてのﾌｧｲﾙ (*.*)";
inline constexpr const char* kAllFilesPattern = "*.*";

// `text` with every %1 replaced by `argument`.
std::string Format1(std::string_view text, std::string_view argument);

}  // namespace texts
