// The exchange log's rows as the link reports its exchanges: each sending with its own outcome,
// a bounded number of rows, and CSV that a spreadsheet reads back field for field.
#include "QtTestApp.h"

#include "CodeTables.h"
#include "ExchangeLogModel.h"
#include "ExchangeText.h"
#include "Frame.h"
#include "ResponseFrame.h"

#include <QDateTime>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

std::string Hex(const Bytes& frame) { return HexFrame(frame); }

class ExchangeLogModelTest : public ::testing::Test {
 protected:
  ExchangeLogModelTest() { model.SetWallClock([] { return qint64{1'700'000'000'000}; }); }

  QString Cell(int row, int column) {
    model.ApplyPending();
    return model.data(model.index(row, column)).toString();
  }
  int Rows() {
    model.ApplyPending();
    return model.rowCount();
  }
  void Send(std::uint8_t address, std::uint8_t code, int attempt) {
    model.Observer().FrameSent(BuildRequest(address, code, {}), attempt);
  }
  void Answer(std::uint8_t address, std::uint8_t code, Bytes data, std::uint8_t status = 0xFF) {
    const Bytes response = AnswerFrame(address, code, data, status);
    model.Observer().CommandEnded(code, status == 0xFF ? CommandOutcome::Accepted : CommandOutcome::ReaderStatus,
                                  response);
  }

  std::int64_t now = 0;
  TExchangeLogModel model{[this] { return now; }};
};

TEST_F(ExchangeLogModelTest, EachSendingIsARowWithItsOwnOutcome) {
  // A late reader: the first sending times out, the second is answered.
  Send(5, cmd::ReadMode, 1);
  EXPECT_EQ(Cell(0, TExchangeLogModel::Outcome), QStringLiteral("ожидание"));
  EXPECT_EQ(Cell(0, TExchangeLogModel::RoundTrip), QString());
  now = 106;
  Send(5, cmd::ReadMode, 2);
  now = 156;
  Answer(5, cmd::ReadMode, {0x01});
  // A refusal, then a search: two readers answer the one broadcast.
  Send(5, cmd::WriteMode, 1);
  now = 170;
  Answer(5, cmd::WriteMode, {}, 0x17);
  Send(0xFF, cmd::ReadSerialNumber, 1);
  now = 3370;
  Answer(1, cmd::ReadSerialNumber, {0x12, 0x34});
  Answer(2, cmd::ReadSerialNumber, {0x00, 0x7F});

  const std::string readMode = Hex(BuildRequest(5, cmd::ReadMode, {}));
  const std::string search = Hex(BuildRequest(0xFF, cmd::ReadSerialNumber, {}));
  const std::vector<std::string> expected = {
      "5|Чтение режима работы|1|106|таймаут|" + readMode + "|",
      "5|Чтение режима работы|2|50|успешно|" + readMode + "|" + Hex(AnswerFrame(5, cmd::ReadMode, {0x01})),
      "5|Изменение режима работы|1|14|статус 17 доступ запрещен|" + Hex(BuildRequest(5, cmd::WriteMode, {})) + "|" +
          Hex(AnswerFrame(5, cmd::WriteMode, {}, 0x17)),
      "1|Чтение серийного номера|1|3200|успешно|" + search + "|" +
          Hex(AnswerFrame(1, cmd::ReadSerialNumber, {0x12, 0x34})),
      "2|Чтение серийного номера|1|3200|успешно|" + search + "|" +
          Hex(AnswerFrame(2, cmd::ReadSerialNumber, {0x00, 0x7F})),
  };
  ASSERT_EQ(Rows(), static_cast<int>(expected.size()));
  for (int row = 0; row < Rows(); ++row) {
    QStringList shown;
    for (int column = TExchangeLogModel::Address; column < TExchangeLogModel::ColumnCount; ++column)
      shown << Cell(row, column);
    EXPECT_EQ(shown.join('|').toStdString(), expected[static_cast<std::size_t>(row)]);
  }
}

TEST_F(ExchangeLogModelTest, AnExchangeBrokenOffIsNotTakenForATimeout) {
  Send(5, cmd::ReadMode, 1);  // the device went away during this wait
  Send(5, cmd::ReadMode, 1);
  EXPECT_EQ(Cell(0, TExchangeLogModel::Outcome), QStringLiteral("прервано"));
  // Cleared while awaited: the answer still gets its row.
  model.Clear();
  Answer(5, cmd::ReadMode, {0x01});
  ASSERT_EQ(Rows(), 1);
  EXPECT_EQ(Cell(0, TExchangeLogModel::Outcome), QStringLiteral("успешно"));
}

TEST_F(ExchangeLogModelTest, KeepsTheNewestRowsUpToItsBound) {
  // In batches as the view gets them, the last one larger than the bound by itself.
  for (int i = 0; i < 2 * TExchangeLogModel::kMaxRows + 5; ++i) {
    now = i;
    Send(static_cast<std::uint8_t>(i % 200), cmd::ReadMode, 1);
    Answer(static_cast<std::uint8_t>(i % 200), cmd::ReadMode, {0x01});
    if (i % 997 == 0 && i < TExchangeLogModel::kMaxRows) model.ApplyPending();
  }
  ASSERT_EQ(Rows(), TExchangeLogModel::kMaxRows);
  EXPECT_EQ(Cell(0, TExchangeLogModel::Address), QString::number((TExchangeLogModel::kMaxRows + 5) % 200));
  EXPECT_EQ(Cell(Rows() - 1, TExchangeLogModel::Address),
            QString::number((2 * TExchangeLogModel::kMaxRows + 4) % 200));
}

// Splits RFC 4180 text as a spreadsheet does.
std::vector<QStringList> ParseCsv(const QString& text) {
  std::vector<QStringList> lines(1);
  QString field;
  bool quoted = false;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        field += c;
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        field += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      lines.back() << std::exchange(field, {});
    } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      lines.back() << std::exchange(field, {});
      lines.emplace_back();
      ++i;
    } else {
      field += c;
    }
  }
  lines.pop_back();  // after the last line's CR LF
  return lines;
}

TEST_F(ExchangeLogModelTest, CsvQuotesWhatNeedsItAndReadsBackFieldForField) {
  Send(7, cmd::ReadAbonementTimeout, 1);  // its command text holds quotes
  Answer(7, cmd::ReadAbonementTimeout, {0x05});
  Send(7, cmd::WriteMode, 1);
  Answer(7, cmd::WriteMode, {}, 0x20);  // its status text holds quotes too
  const QByteArray csv = model.Csv();
  EXPECT_TRUE(csv.contains("\"Чтение таймаута прохода по карточкам \"\"Абонемент\"\"\""));
  EXPECT_TRUE(csv.contains(",1,0,успешно,"));  // plain fields stay bare

  const std::vector<QStringList> lines = ParseCsv(QString::fromUtf8(csv));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], (QStringList{"Время", "Адрес", "Команда", "Попытка", "Задержка, мс", "Результат",
                                   "Запрос", "Ответ"}));
  for (int row = 0; row < 2; ++row) {
    const QStringList& fields = lines[static_cast<std::size_t>(row + 1)];
    ASSERT_EQ(fields.size(), TExchangeLogModel::ColumnCount);
    EXPECT_EQ(fields[0], QDateTime::fromMSecsSinceEpoch(1'700'000'000'000).toString("yyyy-MM-dd hh:mm:ss.zzz"));
    for (int column = TExchangeLogModel::Address; column < TExchangeLogModel::ColumnCount; ++column)
      EXPECT_EQ(fields[column], Cell(row, column)) << "row " << row << " column " << column;
  }
}

}  // namespace
