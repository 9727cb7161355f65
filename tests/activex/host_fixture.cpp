#include "tests/activex/host_fixture.h"

#include <QCoreApplication>

namespace host_test {

ControlDescriptor THost::descriptor;
bool THost::useSecondTable = false;

void THost::ResetDescriptor() {
  descriptor.ControlClassId = test_control::CLSID_TestControl;
  descriptor.EventInterfaceId = test_control::DIID_TestEvents;
  descriptor.EventIdCount = static_cast<std::int32_t>(std::size(kEventIds));
  descriptor.EventIds = kEventIds;
  descriptor.StockFlags = 0;
  descriptor.DescriptorVersion = EventTableVersion;
  descriptor.FontSlotCount = 0;
  descriptor.PictureSlotCount = 0;
  descriptor.PictureIds = nullptr;
  descriptor.SiteFlags = 0;
  useSecondTable = false;
}

void HostTest::SetUp() {
  test_control::TestControl::Register();
  test_control::TestControl::next = {};
  THost::ResetDescriptor();
  previousReporter_ = SetExceptionReporter([this](TObject* sender, std::exception_ptr error) {
    try {
      std::rethrow_exception(error);
    } catch (const std::exception& e) {
      reported.push_back({sender, e.what()});
    }
  });
  form = MakeComponent<TForm>(nullptr);
  form->SetBounds(0, 0, 800, 600);
}

void HostTest::TearDown() {
  form.reset();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  SetExceptionReporter(std::move(previousReporter_));
  EXPECT_EQ(THost::descriptor.LiveInstances, 0);
}

THost* HostTest::MakeHost(const test_control::Behaviour& behaviour) {
  test_control::TestControl::next = behaviour;
  THost* host = form->CreateComponent<THost>();
  host->SetParent(form.get());
  return host;
}

}  // namespace host_test
