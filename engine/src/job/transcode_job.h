// The unit that converts items into one output. A converter runs one item,
// a merger several in a row. Each item runs as three stages joined by
// bounded queues of reference-counted frames:
//   1. demux + decode            (its own thread)
//   2. constant rate, geometry, layers, encoder pixel format (its own thread)
//   3. audio shaping, encoding, muxing (the thread calling runItem)
#pragma once

#include "job/flight.h"
#include "job/frame_queue.h"
#include "job/output_plan.h"
#include "job/output_sink.h"
#include "layers/layer_stack.h"
#include "media/input_file.h"
#include "settings/settings.h"

#include <atomic>
#include <memory>
#include <mutex>

namespace orv {

// A jump in one stream's timestamps beyond this is a broken time line, not
// content: it is closed up instead of being filled with repeated pictures
// or silence (a damaged header can declare frame intervals of years).
constexpr int64_t kMaxGapUs = 30000000;

struct JobItem
{
    std::shared_ptr<InputFile> input;
    int videoStream = -1; // AVStream indexes, -1 none
    int audioStream = -1;
    int64_t beginUs = 0;
    int64_t lengthUs = 0; // > 0
    ProcessingSettings proc;
    std::shared_ptr<LayerStack> layers; // opened at the output size, or null
    // merge items: an item of which the output takes no stream is lengthUs
    // of black and silence
    bool exactLength = false;
};

// Item length from a split request: min(length, duration - begin), or
// duration - begin when length is 0.
int64_t itemLength(uint64_t durationUs, uint64_t beginUs, uint64_t lengthUs);

// What an item's output holds of its length: the length itself when what
// was written falls short of it by at most two frames (decoders drop a
// sound's encoder delay and padding, which container lengths include),
// else what was written.
int64_t convertedLength(const OutputPlan& plan, int64_t lengthUs, int64_t writtenUs);

// Lowers the calling thread's priority (nice +5, or $ORVALTA_JOB_NICE);
// threads it creates inherit it.
void lowerThreadPriority();

class TranscodeJob
{
public:
    explicit TranscodeJob(const OutputPlan& plan);
    ~TranscodeJob();
    TranscodeJob(const TranscodeJob&) = delete;
    TranscodeJob& operator=(const TranscodeJob&) = delete;

    // Runs one item on the calling thread. 0 or an ORV_E_* code; fatal() is
    // set when the output itself failed.
    int runItem(JobItem& item);
    // After an item that failed part way: the stream that fell behind is
    // filled with black or silence to the other's end, so that the next
    // item's sound and pictures start together. 0 or an ORV_E_* code.
    int evenEnds();
    // Drains the encoders and writes the trailer.
    int finish();
    // Closes the output without a trailer.
    void closeOutput() { m_sink.closeFile(); }
    // Once the last item and finish() have returned: frees the encoders and
    // the muxer, most of what a job holds; the progress stays readable.
    void releaseOutput()
    {
        m_sink.release();
        m_reservation.release();
    }

    void abort(); // any thread: stops every stage promptly
    void stopItem(); // any thread: ends the current item where it is
    void setPaused(bool paused) { m_gate.setPaused(paused); }

    bool fatal() const { return m_fatal; }
    bool aborted() { return m_gate.aborted(); }
    bool hasInput() const { return m_sink.hasInput(); }
    int64_t itemDoneUs() const;
    // Length of what the last item wrote (the longer stream), µs.
    int64_t lastItemUs() const { return m_lastItemUs; }
    const OutputPlan& plan() const { return m_sink.plan(); }

private:
    struct ItemRun;
    void decodeStage(ItemRun& run);
    void videoStage(ItemRun& run);
    int outputStage(ItemRun& run);

    OutputSink m_sink;
    FlightReservation m_reservation; // what this job is planned to hold
    Flight m_flight;
    JobGate m_gate;
    std::atomic<bool> m_stopItem{false};
    std::atomic<bool> m_fatal{false};
    std::atomic<int64_t> m_itemStartUs{0};
    std::mutex m_mutex; // guards m_currentInput and the queues
    std::shared_ptr<InputFile> m_currentInput;
    std::shared_ptr<LayerStack> m_currentLayers;
    FrameQueue* m_q1 = nullptr;
    FrameQueue* m_q2 = nullptr;
    bool m_aborted = false;
    int64_t m_lastItemUs = 0;
};

} // namespace orv
