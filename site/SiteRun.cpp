#include "SiteRun.h"

#include <QThread>

TApproval DifferingReaders(const TSiteResult& survey) {
  TApproval readers;
  for (const TLineResult& line : survey.lines)
    for (const TReaderResult& reader : line.readers)
      if (reader.state == TReaderState::Differs) readers.insert({line.index, reader.address, reader.serial.value_or("")});
  return readers;
}

TSiteRun::TSiteRun(const TSiteFile& site, TSiteTask task, TSiteJournal* journal, const TApproval* approved,
                   QObject* parent)
    : QObject(parent), site_(site), task_(task), journal_(journal), approved_(approved), results_(site.lines.size()) {
  qRegisterMetaType<TReaderProgress>();
}

TSiteRun::~TSiteRun() {
  Cancel();
  for (const auto& thread : threads_) thread->wait();
}

void TSiteRun::Start() {
  if (site_.lines.empty()) {
    QMetaObject::invokeMethod(this, &TSiteRun::Finished, Qt::QueuedConnection);
    return;
  }
  running_ = site_.lines.size();
  for (std::size_t i = 0; i < site_.lines.size(); ++i) {
    jobs_.push_back(std::make_unique<TLineJob>(TLineJob{
        site_, i, task_, journal_, approved_, cancel_, adapterWait_, [this](const TReaderProgress& progress) { emit Progress(progress); }}));
    threads_.emplace_back(QThread::create([this, job = jobs_.back().get()] {
      results_[job->index] = RunLine(*job);
      LineEnded();
    }));
    threads_.back()->start();
  }
}

void TSiteRun::LineEnded() {
  if (--running_ == 0) emit Finished();
}

TSiteResult TSiteRun::Join() {
  for (const auto& thread : threads_) thread->wait();
  return {site_.name, results_, cancel_};
}
