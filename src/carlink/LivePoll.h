#pragma once
// The poll of the serial input: ten times a second, every whole record that
// waits on the line goes into the recording at once. Outside live mode each
// record the Car Computer sends is answered with the request for the next one.
// When the line closes, a whole record that only waited to see what follows
// it is kept.

#include "RecordIntake.h"
#include "Recording.h"

#include <QObject>

class PortSession;

class LivePoll : public QObject
{
    Q_OBJECT

public:
    LivePoll(PortSession& session, Recording& recording, QObject* parent = nullptr);

    // A new run: 1 for live mode (LiveData), 0 otherwise. Nothing left from
    // the last run is framed, and a port that comes back asks for the stream
    // only in live mode.
    void startRun(int liveMode);
    int liveMode() const { return mode; }

    // One tick: takes what waits on the line, unless another use holds the port.
    void tick();

private:
    void lineClosed();
    // Whole records go to `batch`, bytes that are no record to the console.
    static void keep(const IntakeResult& taken, std::vector<Recording::Arrival>& batch);

    PortSession& session;
    Recording& recording;
    RecordIntake intake;
    int mode = 0;
};
