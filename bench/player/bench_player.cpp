#include "bench_player.h"

#include <QCoreApplication>
#include <QTimer>
#include <stdexcept>

#include "platform/dshow/dshow.h"
#include "platform/mediaplayer/registration.h"

namespace player_bench {

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool RunUntil(const std::function<bool()>& condition, double seconds) {
  QTimer tick;  // wakes the loop every millisecond to look again, without spinning
  tick.start(1);
  const auto start = std::chrono::steady_clock::now();
  while (!condition()) {
    if (SecondsSince(start) > seconds) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  }
  return true;
}

BenchPlayer::BenchPlayer(const RECT& position) {
  dshow::RegisterClasses();
  mediaplayer::RegisterClasses();
  if (FAILED(CoCreateInstance(CLSID_MediaPlayer, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, object_.PutVoid())))
    throw std::runtime_error("the media player control is not registered");
  player_ = object_.As<IMediaPlayer>();
  object_->SetClientSite(&site_);
  object_.As<IPersistStreamInit>()->InitNew();
  ComPtr<IConnectionPoint> events;
  object_.As<IConnectionPointContainer>()->FindConnectionPoint(DIID_MediaPlayerEvents, events.Put());
  DWORD cookie = 0;
  events->Advise(static_cast<IDispatch*>(&site_), &cookie);
  object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site_, 0, site_.Window(), &position);
  player_->put_AutoStart(VARIANT_FALSE);
}

BenchPlayer::~BenchPlayer() {
  object_->Close(OLECLOSE_NOSAVE);
  object_->SetClientSite(nullptr);
}

void BenchPlayer::Place(const RECT& position) { object_.As<IOleInPlaceObject>()->SetObjectRects(&position, &position); }

double BenchPlayer::Open(const std::string& file) {
  bool opened = false;
  bool failed = false;
  std::chrono::steady_clock::time_point openedAt;
  site_.onEvent = [&](const mediaplayer_test::RecordedEvent& event) {
    if (event.id != DISPID_MPE_OPENSTATECHANGE || event.numbers.size() != 2) return;
    if (event.numbers[1] == static_cast<double>(nsOpen)) {
      openedAt = std::chrono::steady_clock::now();
      opened = true;
    } else if (event.numbers[1] == static_cast<double>(nsClosed)) {
      failed = true;
    }
  };
  com::Bstr name(file);
  const auto start = std::chrono::steady_clock::now();
  player_->Open(name.Get());
  RunUntil([&] { return opened || failed; }, 60);
  site_.onEvent = nullptr;
  return opened ? std::chrono::duration<double>(openedAt - start).count() : -1;
}

LONG BenchPlayer::PlayState() const {
  LONG state = -1;
  player_->get_PlayState(&state);
  return state;
}

double BenchPlayer::Position() const {
  double position = 0;
  player_->get_CurrentPosition(&position);
  return position;
}

}  // namespace player_bench
