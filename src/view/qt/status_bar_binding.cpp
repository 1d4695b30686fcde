#include "view/qt/status_bar_binding.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QStatusBar>
#include <QTime>
#include <QTimer>
#include <algorithm>
#include <limits>

#include "view/qt/control_binding.h"

namespace view_qt {
namespace {

constexpr int kPaintIntervalMs = 50;

// The locale's short time, without seconds: the clock changes once a minute.
QString clockFormat() {
  QString format = QLocale().timeFormat(QLocale::ShortFormat);
  format.remove(QStringLiteral(":ss"));
  format.remove(QStringLiteral(":s"));
  return format;
}

class StatusBarBinding : public ControlBinding {
 public:
  StatusBarBinding(forms::StatusBar& sbar, QStatusBar* bar)
      : ControlBinding(sbar, bar), sbar_(sbar) {
    bar->setSizeGripEnabled(true);
    panel1_ = new QLabel(bar);
    panel1_->setObjectName("sbarPanel1");
    panel1_->setTextFormat(Qt::PlainText);
    panel1_->setMinimumWidth(1);  // a long path must not widen the window
    progress_ = new QProgressBar(bar);
    progress_->setObjectName("sbarProgress");
    progress_->setMaximumWidth(180);
    progress_->setMaximumHeight(bar->fontMetrics().height() + 4);
    progress_->hide();
    panel2_ = new QLabel(bar);
    panel2_->setObjectName("sbarPanel2");
    panel2_->setAlignment(Qt::AlignCenter);
    panel2_->setMinimumWidth(bar->fontMetrics().horizontalAdvance("00:00 PM") + 16);
    bar->addWidget(panel1_, 1);
    bar->addPermanentWidget(progress_);
    bar->addPermanentWidget(panel2_);

    auto* clock = new QTimer(this);
    connect(clock, &QTimer::timeout, this, [this] { showTime(); });
    clock->start(1000);
    showTime();
    sync();
    painted_.start();
  }

 protected:
  // Work that reports progress runs without returning to the event loop, so
  // the bar is brought up to date and painted at once.
  void modelChanged() override {
    sync();
    if (painted_.elapsed() >= kPaintIntervalMs && widget()->isVisible()) {
      widget()->repaint();
      painted_.restart();
    }
  }

  void pull() override {
    ControlBinding::pull();
    panel1_->setText(QString::fromStdString(sbar_.PanelText(1)));
    if (sbar_.PanelCount() >= 2) panel2_->setText(QString::fromStdString(sbar_.PanelText(2)));
    std::int64_t max = sbar_.ProgressMax();
    if (max <= 0) {
      progress_->hide();
      return;
    }
    // QProgressBar counts in int; scale very large counts.
    std::int64_t scale = max / std::numeric_limits<int>::max() + 1;
    std::int64_t value = std::clamp<std::int64_t>(sbar_.ProgressValue(), 0, max);
    progress_->setRange(0, static_cast<int>(max / scale));
    progress_->setValue(static_cast<int>(value / scale));
    const std::string& text = sbar_.ProgressText();
    progress_->setFormat(text.empty() ? QString("%1 of %2").arg(value).arg(max)
                                      : QString::fromStdString(text));
    progress_->show();
  }

 private:
  void showTime() {
    if (!attached() || sbar_.PanelCount() < 2) return;
    std::string now = QLocale().toString(QTime::currentTime(), clockFormat()).toStdString();
    if (sbar_.PanelText(2) != now) sbar_.setPanelText(2, now);
  }

  forms::StatusBar& sbar_;
  QLabel* panel1_;
  QLabel* panel2_;
  QProgressBar* progress_;
  QElapsedTimer painted_;
};

}  // namespace

void bindStatusBar(forms::StatusBar& sbar, QStatusBar* widget) {
  widget->setObjectName(QString::fromStdString(sbar.Name()));
  new StatusBarBinding(sbar, widget);
}

}  // namespace view_qt
