#include "engine/user_list_reader.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include "core/user_record.h"
#include "support/qt_print.h"

namespace quill {
namespace {

struct LinesCase {
  const char* name;
  QByteArray bytes;
  QStringList lines;
};

class UserListReaderTest : public ::testing::Test {
 protected:
  QString writeFile(const QByteArray& bytes) {
    const QString path = m_dir.filePath(QStringLiteral("list%1.csv").arg(++m_files));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
  }

  // Every line of bytes, in order; fails the test unless the file ends cleanly.
  QStringList readAll(const QByteArray& bytes) {
    UserListReader reader;
    QString error;
    EXPECT_TRUE(reader.open(writeFile(bytes), &error)) << error.toStdString();
    QStringList lines;
    QString line;
    UserListReader::Status status;
    while ((status = reader.readLine(line)) == UserListReader::Status::Line) lines << line;
    EXPECT_EQ(status, UserListReader::Status::EndOfFile);
    EXPECT_EQ(reader.readLine(line), UserListReader::Status::EndOfFile) << "EOF must stay EOF";
    EXPECT_EQ(reader.bytesRead(), reader.totalBytes());
    return lines;
  }

  QTemporaryDir m_dir;
  int m_files = 0;
};

TEST_F(UserListReaderTest, LineEnds) {
  const QByteArray big(UserListReader::kChunkSize - 1, 'x');
  const QString bigText = QString::fromLatin1(big);
  const LinesCase cases[] = {
      {"CR LF", "a,b\r\nc,d\r\n", {"a,b", "c,d"}},
      {"lone CR", "a\rb\r", {"a", "b"}},
      {"lone LF stays inside the line", "a\nb\r\nc", {"a\nb", "c"}},
      {"LF-only file is one line", "h1\nh2\nJohn\n", {"h1\nh2\nJohn\n"}},
      {"last line without an end", "a\r\nb", {"a", "b"}},
      {"empty lines in between", "a\r\n\r\n\r\nb\r\n", {"a", "", "", "b"}},
      {"CR before CR LF", "a\r\r\nb", {"a", "", "b"}},
      {"LF CR is not a line end pair", "a\n\rb", {"a\n", "b"}},
      {"single empty line", "\r\n", {""}},
      {"empty file", "", {}},
      {"CR LF across a chunk boundary", big + "\r\ny", {bigText, "y"}},
      {"lone CR at a chunk boundary", big + "\ry", {bigText, "y"}},
      {"CR as the file's last byte at a chunk boundary", big + "\r", {bigText}},
  };
  for (const LinesCase& c : cases) EXPECT_EQ(readAll(c.bytes), c.lines) << c.name;
}

TEST_F(UserListReaderTest, EncodingIsUtf8WhenValidElseWindows1252PerLine) {
  const LinesCase cases[] = {
      {"UTF-8 with BOM", "\xEF\xBB\xBFRen\xC3\xA9,Bo\r\n", {u"René,Bo"_qs}},
      {"UTF-8 without BOM", "Ren\xC3\xA9,\xE6\x9D\xB1\r\n", {u"René,東"_qs}},
      {"BOM only", "\xEF\xBB\xBF", {}},
      {"BOM is dropped only at the file start",
       "a\r\n\xEF\xBB\xBF"
       "b",
       {"a", u"\uFEFFb"_qs}},
      {"Windows-1252 e acute", "Ren\xE9,Bo", {u"René,Bo"_qs}},
      {"Windows-1252 0x80 to 0x9F", "\x80\x93\x9F\x8A", {u"€“ŸŠ"_qs}},
      {"each line decoded alone", "Ren\xC3\xA9\r\nRen\xE9\r\n", {u"René"_qs, u"René"_qs}},
  };
  for (const LinesCase& c : cases) EXPECT_EQ(readAll(c.bytes), c.lines) << c.name;
}

TEST_F(UserListReaderTest, BigFileIsReadInBoundedPieces) {
  constexpr int kLines = 150000;
  QByteArray bytes;
  auto person = [](int i) {
    return QStringLiteral("First%1,Last%1,Desc,Dept%2,Duty,555").arg(i).arg(i % 7);
  };
  for (int i = 0; i < kLines; ++i) bytes += (person(i) + "\r\n").toUtf8();
  ASSERT_GT(bytes.size(), 40 * UserListReader::kChunkSize);

  UserListReader reader;
  ASSERT_TRUE(reader.open(writeFile(bytes), nullptr));
  EXPECT_EQ(reader.totalBytes(), bytes.size());
  QString line;
  int count = 0;
  qint64 lastProgress = 0;
  while (reader.readLine(line) == UserListReader::Status::Line) {
    ASSERT_EQ(line, person(count));
    ASSERT_GT(reader.bytesRead(), lastProgress);
    lastProgress = reader.bytesRead();
    ++count;
  }
  EXPECT_EQ(count, kLines);
  EXPECT_EQ(reader.bytesRead(), bytes.size());
  EXPECT_LE(reader.peakBufferSize(), 2 * UserListReader::kChunkSize);
}

TEST_F(UserListReaderTest, OpenFailsWithAReasonForFoldersAndMissingFiles) {
  UserListReader reader;
  QString error;
  EXPECT_FALSE(reader.open(m_dir.path(), &error));
  EXPECT_EQ(reader.openFailure(), UserListReader::OpenFailure::NotAFile);
  EXPECT_FALSE(error.isEmpty());

  error.clear();
  EXPECT_FALSE(reader.open(m_dir.filePath(QStringLiteral("missing.csv")), &error));
  EXPECT_EQ(reader.openFailure(), UserListReader::OpenFailure::NotFound);
  EXPECT_FALSE(error.isEmpty());

  QString line;
  EXPECT_EQ(reader.readLine(line), UserListReader::Status::Error);
  EXPECT_FALSE(reader.errorString().isEmpty());
}

TEST(UserRecordTest, SplitsAtEveryCommaKeepingSixFieldsAsWritten) {
  struct Case {
    QString line;
    QStringList fields;
  };
  const Case cases[] = {
      {"John,Smith,Clerk at desk 4,Sales,Clerk,555",
       {"John", "Smith", "Clerk at desk 4", "Sales", "Clerk", "555"}},
      {"a,b,c,d,e,f,g,h", {"a", "b", "c", "d", "e", "f"}},
      {"John, Smith ,x", {"John", " Smith ", "x"}},
      {"a,,c", {"a", "", "c"}},
      {"a,b,c,d,e,", {"a", "b", "c", "d", "e", ""}},
      {"\"Smith, John\",x", {"\"Smith", " John\"", "x"}},
      {"", {}},
  };
  for (const Case& c : cases) {
    const UserRecord record(c.line);
    QStringList fields;
    for (int n = 1; record.has(n); ++n) fields << record.field(n);
    EXPECT_EQ(fields, c.fields) << c.line.toStdString();
    EXPECT_EQ(record.fieldCount(), c.fields.size()) << c.line.toStdString();
  }
}

}  // namespace
}  // namespace quill
