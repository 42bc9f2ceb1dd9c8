#include <gtest/gtest.h>

#include "dialog/TesselProgress.h"

namespace verimo {
namespace {

using TState = TTesselProgress::TState;

class ProgressTest : public ::testing::Test {
 protected:
  int aborts_ = 0;
  TTesselProgress progress_{[this] { ++aborts_; }};
};

TEST_F(ProgressTest, ARunWithSkippingShowsEachPhaseAndItsCounter) {
  progress_.Notify(TTesselProgress::pnBeginExport);
  EXPECT_EQ(progress_.StatusText(), u"Hazırlanıyor...");
  EXPECT_EQ(progress_.ButtonCaption(), u"İptal");
  EXPECT_TRUE(progress_.TimerOn());

  progress_.Notify(TTesselProgress::pnSkippedRecord);
  progress_.Notify(TTesselProgress::pnSkippedRecord);
  EXPECT_EQ(progress_.State(), TState::Skipping);
  EXPECT_EQ(progress_.StatusText(), u"Atlanıyor...");
  EXPECT_EQ(progress_.CounterTitle(), u"Atlandı");
  EXPECT_EQ(progress_.CounterText(), u"2");

  // The counter shows the current phase's own count.
  progress_.Notify(TTesselProgress::pnExportedRecord);
  EXPECT_EQ(progress_.StatusText(), u"Çıkartılıyor...");
  EXPECT_EQ(progress_.CounterTitle(), u"Aktarılan Kayıt");
  EXPECT_EQ(progress_.CounterText(), u"1");

  progress_.Notify(TTesselProgress::pnFetchedRecord);
  EXPECT_EQ(progress_.StatusText(), u"getiriliyor...");
  EXPECT_EQ(progress_.CounterTitle(), u"Getirildi");

  progress_.Notify(TTesselProgress::pnFinished);
  EXPECT_EQ(progress_.StatusText(), u"Bitti");
  EXPECT_EQ(progress_.ButtonCaption(), u"Tamam");
  EXPECT_FALSE(progress_.TimerOn());
  EXPECT_EQ(progress_.SkippedCount(), 2);
  EXPECT_EQ(progress_.ExportedCount(), 1);
  EXPECT_EQ(progress_.FetchedCount(), 1);
}

TEST_F(ProgressTest, StopQuestionPausesThenResumesOrAborts) {
  progress_.Notify(TTesselProgress::pnBeginExport);
  progress_.Notify(TTesselProgress::pnExportedRecord);
  progress_.Notify(TTesselProgress::pnPaused);
  EXPECT_EQ(progress_.StatusText(), u"Dur");
  EXPECT_FALSE(progress_.TimerOn());

  progress_.Notify(TTesselProgress::pnResumed);
  EXPECT_EQ(progress_.StatusText(), u"Çıkartılıyor...");
  EXPECT_EQ(progress_.ButtonCaption(), u"İptal");
  EXPECT_TRUE(progress_.TimerOn());

  progress_.Notify(TTesselProgress::pnPaused);
  progress_.Notify(TTesselProgress::pnAborted);
  EXPECT_EQ(progress_.StatusText(), u"Durdu");
  EXPECT_EQ(progress_.ButtonCaption(), u"Tamam");
  EXPECT_FALSE(progress_.TimerOn());
  EXPECT_TRUE(progress_.RunOver());
}

TEST_F(ProgressTest, ButtonStopsARunningExportAndConfirmsAFinishedOne) {
  for (int code : {TTesselProgress::pnBeginExport, TTesselProgress::pnFetchedRecord,
                   TTesselProgress::pnExportedRecord, TTesselProgress::pnResumed}) {
    progress_.Notify(code);
    progress_.ButtonClick();
  }
  EXPECT_EQ(aborts_, 4);
  EXPECT_FALSE(progress_.ModalResultOK());

  // While records are skipped the button does not stop the export.
  TTesselProgress skipping([this] { ++aborts_; });
  skipping.Notify(TTesselProgress::pnSkippedRecord);
  skipping.ButtonClick();
  EXPECT_EQ(aborts_, 4);
  EXPECT_TRUE(skipping.ModalResultOK());

  progress_.Notify(TTesselProgress::pnFinished);
  progress_.ButtonClick();
  EXPECT_EQ(aborts_, 4);
  EXPECT_TRUE(progress_.ModalResultOK());
}

TEST_F(ProgressTest, CloseRequestsWaitUntilTheRunIsOver) {
  progress_.Notify(TTesselProgress::pnBeginExport);
  progress_.Notify(TTesselProgress::pnExportedRecord);
  progress_.CloseRequest();
  progress_.Notify(TTesselProgress::pnPaused);
  progress_.CloseRequest();
  EXPECT_FALSE(progress_.ModalResultOK());
  EXPECT_EQ(aborts_, 0);
  progress_.Notify(TTesselProgress::pnAborted);
  progress_.CloseRequest();
  EXPECT_TRUE(progress_.ModalResultOK());
}

TEST_F(ProgressTest, TimeAndSpeed) {
  // Within the first second.
  progress_.Notify(TTesselProgress::pnBeginExport);
  progress_.Notify(TTesselProgress::pnExportedRecord);
  EXPECT_EQ(progress_.TimeText(), u"0:00:00");
  EXPECT_EQ(progress_.SpeedText(), u"0 satır/sn");

  // 90 records after 3 seconds, counted over all three phases.
  for (int i = 0; i < 30; ++i) progress_.Notify(TTesselProgress::pnSkippedRecord);
  for (int i = 0; i < 29; ++i) progress_.Notify(TTesselProgress::pnExportedRecord);
  for (int i = 0; i < 30; ++i) progress_.Notify(TTesselProgress::pnFetchedRecord);
  for (int i = 0; i < 3; ++i) progress_.Tick();
  EXPECT_EQ(progress_.TimeText(), u"0:00:03");
  EXPECT_EQ(progress_.SpeedText(), u"30 satır/sn");

  for (int i = 0; i < 3600 + 61 - 3; ++i) progress_.Tick();
  EXPECT_EQ(progress_.TimeText(), u"1:01:01");
  EXPECT_EQ(progress_.Rate(), 0);  // 90 records over an hour
}

TEST_F(ProgressTest, CloseNotificationOnlyAsksToClose) {
  progress_.Notify(TTesselProgress::pnFinished);
  progress_.Notify(TTesselProgress::pnClose);
  EXPECT_TRUE(progress_.CloseRequested());
  EXPECT_EQ(progress_.State(), TState::Finished);
  progress_.Notify(42);
  EXPECT_EQ(progress_.State(), TState::Finished);
}

// The window's line for each kind of loss: the field, the count with
// Turkish grouping, and what became of the values.
TEST(ProgressLossTextTest, OneLinePerFieldAndKind) {
  EXPECT_EQ(TTesselProgress::LossText({u"Ad", TLossKind::UnwritableCharacter, u"1252", 1204}),
            u"\"Ad\" alanında 1252 kod sayfasında yazılamayan 1.204 karakter \"?\" olarak yazıldı.");
  EXPECT_EQ(TTesselProgress::LossText({u"Gün", TLossKind::DateOutOfRange, u"", 2}),
            u"\"Gün\" alanında 1–9999 yılları dışında kalan 2 tarih boş aktarıldı.");
  EXPECT_EQ(TTesselProgress::LossText({u"Not", TLossKind::ForbiddenCharacter, u"XML", 3}),
            u"\"Not\" alanında XML biçiminin kabul etmediği 3 karakter çıkarıldı.");
  EXPECT_EQ(TTesselProgress::LossText({u"Tutar", TLossKind::NumberTooWide, u"N(15,4)", 5}),
            u"\"Tutar\" alanında N(15,4) alanına sığmayan 5 sayı \"*\" olarak yazıldı.");
  EXPECT_EQ(TTesselProgress::LossText({u"Onay", TLossKind::BlankAsFalse, u"No", 1}),
            u"\"Onay\" alanında boş olan 1 mantıksal değer No olarak yazıldı.");
  EXPECT_EQ(TTesselProgress::LossText({u"Resim", TLossKind::TextCut, u"255", 2}),
            u"\"Resim\" alanında 2 değer sütunun 255 karakterlik genişliğine kısaltıldı.");
  EXPECT_EQ(TTesselProgress::LossText({u"Not", TLossKind::CellTextCut, u"32767", 1}),
            u"\"Not\" alanında 1 değer bir hücrenin alabildiği 32767 karaktere kısaltıldı.");
  EXPECT_EQ(TTesselProgress::LossText({u"Ad", TLossKind::UnsettableCharacter, u"LaTeX", 6}),
            u"\"Ad\" alanında LaTeX yazı tiplerinde bulunmayan 6 karakter \"?\" olarak yazıldı.");
}

// A long salvage report is shortened to its first problems, a count of the
// others and its summary, so that the window fits the screen.
TEST(ProgressSalvageReportTest, ShowsTheFirstProblemsAndTheSummary) {
  EXPECT_EQ(TTesselProgress::SalvageReportLines({"recovered 3 of an expected 3 records"}),
            (std::vector<WideString>{u"Hasarlı tablodan kurtarılanlar:", u"recovered 3 of an expected 3 records"}));
  std::vector<std::string> report;
  for (int block = 1; block <= 9; ++block) report.push_back("block " + std::to_string(block) + ": skipped");
  report.push_back("recovered 1 of an expected 10 records; 9 blocks skipped");
  const std::vector<WideString> lines = TTesselProgress::SalvageReportLines(report);
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[1], u"block 1: skipped");
  EXPECT_EQ(lines[6], u"block 6: skipped");
  EXPECT_EQ(lines[7], u"… ve 3 sorun daha");
  EXPECT_EQ(lines[8], u"recovered 1 of an expected 10 records; 9 blocks skipped");
}

}  // namespace
}  // namespace verimo