#include "platform/sdl/alsa_midi_input.h"

#include <alsa/asoundlib.h>
#include <unistd.h>

#include <RtMidi.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <set>
#include <thread>
#include <utility>
#include <vector>

namespace tonforge {

bool MidiByteQueue::PushMessage(const uint8_t* bytes, size_t count) {
  const uint32_t tail = tail_.load(std::memory_order_relaxed);
  const uint32_t head = head_.load(std::memory_order_acquire);
  if (count > kSize - (tail - head)) return false;
  for (size_t i = 0; i < count; ++i) bytes_[(tail + i) & (kSize - 1)] = bytes[i];
  tail_.store(tail + static_cast<uint32_t>(count), std::memory_order_release);
  return true;
}

size_t MidiByteQueue::Take(std::span<uint8_t> out) {
  const uint32_t head = head_.load(std::memory_order_relaxed);
  const uint32_t tail = tail_.load(std::memory_order_acquire);
  const size_t n = std::min<size_t>(tail - head, out.size());
  for (size_t i = 0; i < n; ++i) out[i] = bytes_[(head + i) & (kSize - 1)];
  head_.store(head + static_cast<uint32_t>(n), std::memory_order_release);
  return n;
}

namespace {

using Address = std::pair<int, int>;

constexpr auto kRescanInterval = std::chrono::milliseconds(500);

// Called on RtMidi's thread for every message: queue it and return.
void QueueMessage(double, std::vector<unsigned char>* message, void* queue) {
  if (message != nullptr && !message->empty())
    (void)static_cast<MidiByteQueue*>(queue)->PushMessage(message->data(), message->size());
}

// RtMidi reports through this instead of printing or throwing once the port is open.
void IgnoreError(RtMidiError::Type, const std::string&, void*) {}

// A port that plays into others: a keyboard, a MIDI interface's input socket.
bool IsHardwareSource(const snd_seq_port_info_t* port) {
  const unsigned caps = snd_seq_port_info_get_capability(port);
  const unsigned type = snd_seq_port_info_get_type(port);
  const unsigned wanted = SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ;
  return (caps & wanted) == wanted && (caps & SND_SEQ_PORT_CAP_NO_EXPORT) == 0 &&
         (type & SND_SEQ_PORT_TYPE_HARDWARE) != 0;
}

}  // namespace

struct AlsaMidiInput::Impl {
  MidiByteQueue queue;
  std::unique_ptr<RtMidiIn> in;
  snd_seq_t* patchbay = nullptr;  // a client of our own that makes the connections, as aconnect would
  Address self{-1, -1};
  std::set<Address> connected;    // the sources we connected, so a port unplugged and plugged again returns

  std::thread watcher;
  std::mutex lock;
  std::condition_variable wake;
  bool stopping = false;

  ~Impl() {
    {
      std::lock_guard<std::mutex> guard(lock);
      stopping = true;
    }
    wake.notify_all();
    if (watcher.joinable()) watcher.join();
    in.reset();
    if (patchbay != nullptr) snd_seq_close(patchbay);
  }

  // Our own port: the client named "Tonforge" of this process (the newest such client where the kernel does
  // not tell the process), and its port named "Tonforge".
  Address FindSelf() {
    snd_seq_client_info_t* client;
    snd_seq_port_info_t* port;
    snd_seq_client_info_alloca(&client);
    snd_seq_port_info_alloca(&port);
    Address found{-1, -1};
    bool foundByProcess = false;
    snd_seq_client_info_set_client(client, -1);
    while (snd_seq_query_next_client(patchbay, client) >= 0) {
      if (std::strcmp(snd_seq_client_info_get_name(client), kMidiPortName) != 0) continue;
      const bool ours = snd_seq_client_info_get_pid(client) == getpid();
      if (foundByProcess && !ours) continue;
      const int id = snd_seq_client_info_get_client(client);
      snd_seq_port_info_set_client(port, id);
      snd_seq_port_info_set_port(port, -1);
      while (snd_seq_query_next_port(patchbay, port) >= 0) {
        if (std::strcmp(snd_seq_port_info_get_name(port), kMidiPortName) != 0) continue;
        found = {id, snd_seq_port_info_get_port(port)};
        foundByProcess = ours;
      }
    }
    return found;
  }

  // Connects every hardware source not connected yet; forgets those that have gone.
  void ConnectSources() {
    snd_seq_client_info_t* client;
    snd_seq_port_info_t* port;
    snd_seq_client_info_alloca(&client);
    snd_seq_port_info_alloca(&port);
    std::set<Address> present;
    snd_seq_client_info_set_client(client, -1);
    while (snd_seq_query_next_client(patchbay, client) >= 0) {
      const int id = snd_seq_client_info_get_client(client);
      if (id == SND_SEQ_CLIENT_SYSTEM || id == self.first || id == snd_seq_client_id(patchbay)) continue;
      snd_seq_port_info_set_client(port, id);
      snd_seq_port_info_set_port(port, -1);
      while (snd_seq_query_next_port(patchbay, port) >= 0) {
        if (!IsHardwareSource(port)) continue;
        const Address source{id, snd_seq_port_info_get_port(port)};
        present.insert(source);
        if (connected.count(source) == 0 && Connect(source)) connected.insert(source);
      }
    }
    std::erase_if(connected, [&](const Address& a) { return present.count(a) == 0; });
  }

  bool Connect(const Address& source) {
    snd_seq_port_subscribe_t* subscription;
    snd_seq_port_subscribe_alloca(&subscription);
    snd_seq_addr_t sender{static_cast<unsigned char>(source.first), static_cast<unsigned char>(source.second)};
    snd_seq_addr_t dest{static_cast<unsigned char>(self.first), static_cast<unsigned char>(self.second)};
    snd_seq_port_subscribe_set_sender(subscription, &sender);
    snd_seq_port_subscribe_set_dest(subscription, &dest);
    if (snd_seq_get_port_subscription(patchbay, subscription) == 0) return true;  // connected already
    return snd_seq_subscribe_port(patchbay, subscription) == 0;
  }

  void Watch() {
    std::unique_lock<std::mutex> guard(lock);
    while (!wake.wait_for(guard, kRescanInterval, [this] { return stopping; })) ConnectSources();
  }
};

AlsaMidiInput::AlsaMidiInput() : impl_(std::make_unique<Impl>()) {}
AlsaMidiInput::~AlsaMidiInput() = default;

std::unique_ptr<AlsaMidiInput> AlsaMidiInput::Open(std::string& reason) {
  // Without the device ALSA and RtMidi would each print their own complaint: say it once, our way.
  std::error_code ec;
  if (!std::filesystem::exists("/dev/snd/seq", ec)) {
    reason = "there is no ALSA sequencer (/dev/snd/seq)";
    return nullptr;
  }
  std::unique_ptr<AlsaMidiInput> input(new AlsaMidiInput());
  Impl& m = *input->impl_;
  try {
    m.in = std::make_unique<RtMidiIn>(RtMidi::LINUX_ALSA, kMidiPortName);
    m.in->setErrorCallback(IgnoreError, nullptr);
    m.in->ignoreTypes(true, true, true);  // System Exclusive, clock and active sensing play nothing
    m.in->setCallback(QueueMessage, &m.queue);
    m.in->openVirtualPort(kMidiPortName);
  } catch (const RtMidiError& e) {
    reason = e.getMessage();
    return nullptr;
  }
  if (snd_seq_open(&m.patchbay, "default", SND_SEQ_OPEN_DUPLEX, 0) < 0) {
    m.patchbay = nullptr;
    reason = "the ALSA sequencer refused a client";
    return nullptr;
  }
  snd_seq_set_client_name(m.patchbay, "Tonforge patchbay");
  m.self = m.FindSelf();
  if (m.self.first < 0) {
    reason = "the Tonforge port did not appear on the ALSA sequencer";
    return nullptr;
  }
  m.ConnectSources();
  m.watcher = std::thread([&m] { m.Watch(); });
  return input;
}

size_t AlsaMidiInput::TakeBytes(std::span<uint8_t> out) { return impl_->queue.Take(out); }

int AlsaMidiInput::Client() const { return impl_->self.first; }
int AlsaMidiInput::Port() const { return impl_->self.second; }

}  // namespace tonforge
