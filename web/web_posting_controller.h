// Web posting without a window: for every decoded packet it decides whether a post
// is due, logs it, pushes the ALL line to the TCP client when asked to, and posts to
// the web service; it also runs the reporting-interval clock. The posting window
// shows its log and status and passes the user's actions to it.
#pragma once

#include "common/number_format.h"
#include "platform/observable_status.h"
#include "web/post_log.h"
#include "web/posting_triggers.h"
#include "web/web_client.h"

#include <QObject>
#include <QTimer>

class Clock;
class PersistedSettings;
class ResidentServer;
struct LinkState;
struct LiveReadings;

struct WebPostingSources {
    // The posting settings; the posting switch is written back through it.
    PersistedSettings& settings;
    const LinkState& link;
    // The monitor's current readings: a request carries them as they are when it goes out.
    const LiveReadings& readings;
    const Clock& clock;
    // The TCP client the trigger push goes to.
    ResidentServer& server;
    NumberSymbols symbols;
};

class WebPostingController : public QObject {
    Q_OBJECT

public:
    explicit WebPostingController(const WebPostingSources& sources, QObject* parent = nullptr);

    // The last step of every decoded packet (the decoder's PostReadings).
    void PostReadings(const LiveReadings& readings);

    // The posting switch, "Enable Web Server": kept and saved at once.
    void setWriteEnable(bool on);

    // The real-time state on the posting window's Text1, as its RefreshTextBoxes shows it.
    void showRealTimeState();
    // The monitor's start saw data flow, or a stop ended it.
    void showRealTimeSwitched(bool on);

    // The posting window's Text1, and the log its ListView1 shows.
    ObservableStatusBox& realTimeBox() { return realTimeBox_; }
    PostLog& log() { return log_; }
    WebClient& webClient() { return webClient_; }

signals:
    // A packet arrived and is about to be looked at (the window is created hidden by the first).
    void readingsArrived();
    // The progress bar: 0 at each packet, full when a request is on its way.
    void progressChanged(int percent);

private:
    void post(const PostRow& row, const LiveReadings& readings);
    void Timer1_Timer();

    WebPostingSources sources_;
    PostingTriggers triggers_;
    PostLog log_;
    ObservableStatusBox realTimeBox_;
    WebClient webClient_;
    QTimer intervalClock_; // Timer1
};
