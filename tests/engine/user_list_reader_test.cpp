#include "engine/user_list_reader.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "core/user_record.h"
#include "support/qt_print.h"

namespace quill {
namespace {

class UserListReaderTest : public ::testing::Test {
 protected:
  // Opens a file holding bytes and reads every line; fails the test unless
  // the file ends cleanly.
  QStringList readAll(const QByteArray& bytes) {
    QFile file(m_dir.filePath(QStringLiteral("list%1.csv").arg(++m_files)));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();
    EXPECT_TRUE(m_reader.open(file.fileName(), nullptr));
    QStringList lines;
    QString line;
    while (m_reader.readLine(line) == UserListReader::Status::Line) {
      lines << line;
      EXPECT_LE(m_reader.peakBufferSize(), 2 * UserListReader::kChunkSize);
    }
    EXPECT_EQ(m_reader.readLine(line), UserListReader::Status::EndOfFile) << "EOF must stay EOF";
    EXPECT_EQ(m_reader.bytesRead(), m_reader.totalBytes());
    return lines;
  }

  QTemporaryDir m_dir;
  int m_files = 0;
  UserListReader m_reader;
};

TEST_F(UserListReaderTest, LineEndsAndEncodings) {
  const QByteArray big(UserListReader::kChunkSize - 1, 'x');
  const QString bigText = QString::fromLatin1(big);
  const struct {
    const char* name;
    QByteArray bytes;
    QStringList lines;
  } cases[] = {
      // clang-format off
      {"CR LF", "a,b\r\nc,d\r\n", {"a,b", "c,d"}},
      {"lone LF stays inside the line", "a\nb\r\nc", {"a\nb", "c"}},
      {"CR before CR LF", "a\r\r\nb", {"a", "", "b"}},
      {"LF CR is not a line end pair", "a\n\rb", {"a\n", "b"}},
      {"CR LF across a chunk boundary", big + "\r\ny", {bigText, "y"}},
      {"lone CR at a chunk boundary", big + "\ry", {bigText, "y"}},
      {"CR as the file's last byte at a chunk boundary", big + "\r", {bigText}},
      {"UTF-8 with BOM", "\xEF\xBB\xBFRen\xC3\xA9,\xE6\x9D\xB1\r\n", {u"René,東"_qs}},
      {"BOM only", "\xEF\xBB\xBF", {}},
      {"BOM is dropped only at the file start", "a\r\n\xEF\xBB\xBF" "b", {"a", u"\uFEFFb"_qs}},
      {"each line alone: UTF-8, else Windows-1252", "Ren\xC3\xA9\r\nRen\xE9 \x80\x9F\r\n",
       {u"René"_qs, u"René €Ÿ"_qs}},
      // clang-format on
  };
  for (const auto& c : cases) EXPECT_EQ(readAll(c.bytes), c.lines) << c.name;
}

// Only the unread rest of a piece and the line being assembled are held.
TEST_F(UserListReaderTest, BigFileIsReadInBoundedPieces) {
  QByteArray bytes;
  QStringList persons;
  for (int i = 0; i < 150000; ++i) {
    persons << QStringLiteral("First%1,Last%1,x,Dept,Duty,5").arg(i);
    bytes += (persons.last() + "\r\n").toUtf8();
  }
  EXPECT_EQ(readAll(bytes), persons);
}

TEST_F(UserListReaderTest, OpenTellsAMissingFileFromTheOthers) {
  QString error, line;
  EXPECT_FALSE(m_reader.open(m_dir.filePath("missing.csv"), &error));
  EXPECT_EQ(m_reader.openFailure(), UserListReader::OpenFailure::NotFound);
  EXPECT_EQ(error, "The file does not exist.");
  EXPECT_EQ(m_reader.readLine(line), UserListReader::Status::Error);
}

TEST(UserRecordTest, SplitsAtEveryCommaKeepingSixFieldsAsWritten) {
  const struct {
    QString line;
    QStringList fields;
  } cases[] = {{"a,b,c,d,e,f,g", {"a", "b", "c", "d", "e", "f"}},
               {"\"Smith, John\", x ,", {"\"Smith", " John\"", " x ", ""}},
               {"", {}}};
  for (const auto& c : cases) {
    const UserRecord record(c.line);
    QStringList fields;
    for (int n = 1; record.has(n); ++n) fields << record.field(n);
    EXPECT_EQ(fields, c.fields) << c.line.toStdString();
    EXPECT_EQ(record.fieldCount(), c.fields.size()) << c.line.toStdString();
  }
}

}  // namespace
}  // namespace quill
