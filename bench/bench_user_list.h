#pragma once
// A generated user list for the benchmarks: any number of persons over a
// fixed number of departments and duties, written line by line so the list
// never has to fit in memory.

#include <QFile>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <random>
#include <string>

namespace quill::bench {

// A last name of its own for every index: syllables of one consonant and one
// vowel, so equal lengths decode uniquely and no two login names (first
// initial + last name) or account names collide, in any letter case.
inline std::string uniqueLastName(int index, int syllables) {
  static constexpr char kConsonants[] = "bdfgklmnprstvz";
  static constexpr char kVowels[] = "aeiou";
  constexpr int kV = sizeof kVowels - 1;
  constexpr int kSyllables = (sizeof kConsonants - 1) * kV;
  std::string name;
  for (int s = 0; s < syllables; ++s) {
    const int syllable = index % kSyllables;
    index /= kSyllables;
    name += kConsonants[syllable / kV];
    name += kVowels[syllable % kV];
  }
  name[0] = static_cast<char>(name[0] - 'a' + 'A');
  return name;
}

// Writes the list to path: two heading lines, then one person a line (first
// name, last name, description, department "DeptNNN", duty "DutyNN",
// telephone), CR LF line ends. Departments and duties are drawn at random
// with a fixed seed, so every run of the benchmark gets the same list.
// false with a reason in *error when the file cannot be written.
inline bool writeUserList(const QString& path, int persons, int departments, int duties,
                          QString* error) {
  static constexpr const char* kFirstNames[] = {
      "Anna",  "Brian", "Carla",  "David",  "Elena",  "Frank", "Greta",  "Hugo",  "Irene",  "Jonas",
      "Karin", "Lukas", "Maria",  "Nils",   "Olga",   "Paul",  "Quinn",  "Rosa",  "Stefan", "Tanja",
      "Ulf",   "Vera",  "Walter", "Xenia",  "Yusuf",  "Zoe",   "Agnes",  "Bruno", "Clara",  "Dirk",
      "Edith", "Felix", "Gisela", "Harald", "Ingrid", "Jakob", "Kurt",   "Lena",  "Moritz", "Nora",
      "Oskar", "Petra", "Rainer", "Sabine", "Timo",   "Ute",   "Viktor", "Wanda"};
  constexpr int kFirstNameCount = static_cast<int>(std::size(kFirstNames));
  constexpr int64_t kSyllableCount = 14 * 5;
  int syllables = 3;
  for (int64_t room = kSyllableCount * kSyllableCount * kSyllableCount; room < persons;
       room *= kSyllableCount) {
    ++syllables;
  }

  std::FILE* f = std::fopen(QFile::encodeName(path).constData(), "wb");
  if (f == nullptr) {
    *error = QStringLiteral("cannot create ") + path;
    return false;
  }
  std::fprintf(f, "First name,Last name,Description,Department,Duty,Telephone\r\n");
  std::fprintf(f, "Benchmark list: %d persons, %d departments, %d duties\r\n", persons, departments,
               duties);
  std::mt19937 rng(20240601);
  std::uniform_int_distribution<int> first(0, kFirstNameCount - 1);
  std::uniform_int_distribution<int> department(1, departments);
  std::uniform_int_distribution<int> duty(1, duties);
  for (int i = 0; i < persons; ++i) {
    const int dep = department(rng);
    std::fprintf(f, "%s,%s,Employee %d of department %03d,Dept%03d,Duty%02d,555-%07d\r\n",
                 kFirstNames[first(rng)], uniqueLastName(i, syllables).c_str(), i + 1, dep, dep,
                 duty(rng), i + 1);
  }
  const bool ok = std::ferror(f) == 0;
  if (std::fclose(f) != 0 || !ok) {
    *error = QStringLiteral("cannot write ") + path;
    return false;
  }
  return true;
}

}  // namespace quill::bench
