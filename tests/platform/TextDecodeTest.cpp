// Decoding names from the games' code pages and comparing them as the
// engine's file system does, with the platform's own converters.
#include <gtest/gtest.h>

#include "TextDecode.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace quillfen {
namespace {

TEST(TextDecode, EveryCodePageDecodesAndEncodesItsLetters) {
  struct Sample {
    CodePage page;
    std::string bytes, text;
  };
  const std::vector<Sample> samples = {
      {CodePage::kShiftJis, "\x83\x5C\x81\x5B\x83\x68", "\xE3\x82\xBD\xE3\x83\xBC\xE3\x83\x89"},  // ソード
      {CodePage::kBig5, "\xA7\xF8\x31", "\xE6\x9D\x91\x31"},                                    // 村1
      {CodePage::kGbk, "\xC4\xE3\xBA\xC3", "\xE4\xBD\xA0\xE5\xA5\xBD"},                         // 你好
      {CodePage::kKorean, "\xC7\xD1", "\xED\x95\x9C"},                                          // 한
      {CodePage::kCp1250, "\xA3", "\xC5\x81"},                                                  // Ł
      {CodePage::kCp1251, "\xCF", "\xD0\x9F"},                                                  // П
      {CodePage::kCp1252, "\xD6" "ffnen", "\xC3\x96" "ffnen"},                                  // Öffnen
      {CodePage::kCp1253, "\xD9", "\xCE\xA9"},                                                  // Ω
      {CodePage::kCp1254, "\xFD", "\xC4\xB1"},                                                  // ı
      {CodePage::kCp1255, "\xF9", "\xD7\xA9"},                                                  // ש
      {CodePage::kCp1256, "\xD3", "\xD8\xB3"},                                                  // س
      {CodePage::kCp1257, "\xC0", "\xC4\x84"},                                                  // Ą
      {CodePage::kCp1258, "Vi\xEA", "Vi\xC3\xAA"},                                              // Viê
      {CodePage::kThai, "\xA1", "\xE0\xB8\x81"},                                                // ก
  };
  for (const Sample& s : samples) {
    SCOPED_TRACE(static_cast<unsigned>(s.page));
    EXPECT_EQ(DecodeToUtf8(s.bytes, s.page), s.text);
    EXPECT_EQ(EncodeFromUtf8(s.text, s.page), s.bytes);
    EXPECT_EQ(DecodeToUtf8("Plain ASCII", s.page), "Plain ASCII");
  }
  // Bytes that are no text of the code page, and text it cannot write.
  EXPECT_EQ(DecodeToUtf8("\x85\x5C", CodePage::kShiftJis), std::nullopt);
  EXPECT_EQ(DecodeToUtf8("\x83", CodePage::kShiftJis), std::nullopt);  // cut in two
  EXPECT_EQ(EncodeFromUtf8("\xE6\x9D\x91", CodePage::kCp1252), std::nullopt);
}

TEST(TextDecode, FileNamesFoldEveryLetterAndCompareComposed) {
  const std::vector<std::pair<std::string, std::string>> same = {
      {"\xC3\x96" "ffnen", "\xC3\xB6" "ffnen"},                    // Öffnen, öffnen
      {"\xD0\x9F\xD0\xA0\xD0\x98", "\xD0\xBF\xD1\x80\xD0\xB8"},    // ПРИ, при
      {"\xCE\xA9\xCE\x9C", "\xCF\x89\xCE\xBC"},                    // ΩΜ, ωμ
      {"\xEF\xBC\xA1\xEF\xBC\xA2", "\xEF\xBD\x81\xEF\xBD\x82"},    // ＡＢ, ａｂ
      {"Caf\xC3\xA9", "CAFE\xCC\x81"},                              // Café composed, decomposed
      {"Hero", "hERO"},
  };
  for (const auto& [a, b] : same) EXPECT_EQ(FoldFileName(a), FoldFileName(b)) << a << " " << b;
  for (const auto& [a, b] : std::vector<std::pair<std::string, std::string>>{
           {"Cafe", "Caf\xC3\xA9"}, {"\xEF\xBC\xA1", "A"}, {"a", "b"}}) {
    EXPECT_NE(FoldFileName(a), FoldFileName(b)) << a << " " << b;
  }
  // Not UTF-8: compared as bytes, ASCII letters without case.
  EXPECT_EQ(FoldFileName("AB\xFF"), "ab\xFF");

#ifdef _WIN32
  // The key agrees with the system's own ordinal comparison ignoring case,
  // where the system has it (Vista on).
  using CompareOrdinal = int(WINAPI*)(LPCWSTR, int, LPCWSTR, int, BOOL);
  const auto compare = reinterpret_cast<CompareOrdinal>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "CompareStringOrdinal")));
  if (compare) {
    auto wide = [](const std::string& utf8) {
      std::wstring w(utf8.size(), L'\0');
      w.resize(static_cast<std::size_t>(::MultiByteToWideChar(CP_UTF8, 0, utf8.data(),
                                                              static_cast<int>(utf8.size()), w.data(),
                                                              static_cast<int>(w.size()))));
      return w;
    };
    for (const auto& [a, b] : same) {
      if (a.find("\xCC\x81") != std::string::npos || b.find("\xCC\x81") != std::string::npos) continue;
      const std::wstring wa = wide(a), wb = wide(b);
      EXPECT_EQ(compare(wa.data(), static_cast<int>(wa.size()), wb.data(), static_cast<int>(wb.size()), TRUE),
                CSTR_EQUAL)
          << a;
    }
  }
#endif
}

TEST(TextDecode, TextShownInACodePageKeepsWhatFitsAndMarksTheRest) {
  // Whole: the code page's own bytes.
  EXPECT_EQ(ShownInCodePage("Picture\\\xC3\x89lan.png", CodePage::kCp1252), "Picture\\\xC9lan.png");  // Élan
  EXPECT_EQ(ShownInCodePage("\xE3\x82\xBD\xE3\x83\xBC\xE3\x83\x89", CodePage::kShiftJis),  // ソード
            "\x83\x5C\x81\x5B\x83\x68");
  // One '?' per character that does not fit, whatever its length in UTF-8;
  // the characters around it stay.
  EXPECT_EQ(ShownInCodePage("\xC3\x89 \xE6\x9D\x91 \xF0\x9F\x98\x80 \xD0\x9F.png", CodePage::kCp1252),
            "\xC9 ? ? ?.png");  // É 村 😀 П
  EXPECT_EQ(ShownInCodePage("\xC3\xA9\xE3\x82\xBD", CodePage::kShiftJis), "?\x83\x5C");  // éソ
  // Bytes that are no UTF-8: one '?' each, the rest read on.
  EXPECT_EQ(ShownInCodePage("a\xFF" "b\xE6\x9D" "c\xC3", CodePage::kCp1252), "a?b??c?");
  EXPECT_EQ(ShownInCodePage("", CodePage::kCp1252), "");
}

TEST(TextDecode, AnsiTextAndUtf8MeetWhereTheAnsiCodePageAllows) {
  const std::optional<CodePage> ansi = AnsiCodePage();
#ifndef _WIN32
  // POSIX names are UTF-8 on both sides.
  EXPECT_FALSE(ansi);
  for (const std::string& text : {std::string("\xE6\x9D\x91\x31.png"), std::string("a\xFF")}) {
    EXPECT_EQ(AnsiToUtf8(text), text);
    EXPECT_EQ(AnsiFromUtf8(text), text);
    EXPECT_EQ(AnsiShownFromUtf8(text), text);
  }
#endif
  if (!ansi) return;
  // Every letter of the code page goes there and back; what it lacks is
  // nameable by no ANSI call, and shows as '?'.
  const std::vector<std::string> letters = {"\xC3\x89", "\xE3\x82\xBD", "\xD0\x9F", "\xCE\xA9",
                                           "\xE0\xB8\x81"};  // É ソ П Ω ก
  for (const std::string& letter : letters) {
    const std::string name = "Face\\" + letter + ".png";
    if (const auto bytes = EncodeFromUtf8(name, *ansi)) {
      EXPECT_EQ(AnsiFromUtf8(name), bytes);
      EXPECT_EQ(AnsiToUtf8(*bytes), name);
      EXPECT_EQ(AnsiShownFromUtf8(name), *bytes);
    } else {
      EXPECT_EQ(AnsiFromUtf8(name), std::nullopt);
      EXPECT_EQ(AnsiShownFromUtf8(name), "Face\\?.png");
    }
  }
  EXPECT_EQ(AnsiFromUtf8("Plain.png"), "Plain.png");
}

#ifdef _WIN32
TEST(TextDecode, FoldersAreListedInUnicodeWhateverTheAnsiCodePage) {
  wchar_t temp[MAX_PATH];
  ASSERT_NE(::GetTempPathW(MAX_PATH, temp), 0u);
  const std::wstring folder = std::wstring(temp) + L"qf-listing-" + std::to_wstring(::GetCurrentProcessId());
  ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
  const std::wstring inside = folder + L"\\sub";
  ::CreateDirectoryW(inside.c_str(), nullptr);
  const std::wstring file = folder + L"\\\u6751" L"1.png";  // 村1, in no Western code page
  HANDLE h = ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  ::CloseHandle(h);
  char ansi[MAX_PATH * 2];
  ::WideCharToMultiByte(CP_ACP, 0, folder.c_str(), -1, ansi, sizeof ansi, nullptr, nullptr);
  EXPECT_EQ(ListFilesUtf8(std::string(ansi) + "\\"), std::vector<std::string>{"\xE6\x9D\x91\x31.png"});
  EXPECT_TRUE(ListFilesUtf8(std::string(ansi) + "\\missing\\").empty());
  ::DeleteFileW(file.c_str());
  ::RemoveDirectoryW(inside.c_str());
  ::RemoveDirectoryW(folder.c_str());
}
#endif

}  // namespace
}  // namespace quillfen
