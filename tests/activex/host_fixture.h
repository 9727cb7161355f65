// The host of the tests: a TOleControl2 descendant for the test control, with handler slots of
// every kind, and the fixture that registers the control, catches reported errors and gives the
// host a form.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "activex/event_dispatch.h"
#include "activex/ole_control.h"
#include "framework/exception_report.h"
#include "framework/forms.h"
#include "tests/activex/test_control.h"
#include "tests/activex/variant_values.h"

namespace host_test {

// Event ids of the host's slots, in slot order (11 appears twice: the first slot serves it).
constexpr DISPID kMeasureEvent = 10;       // (double, int)
constexpr DISPID kTextEvent = 11;          // (BSTR)
constexpr DISPID kCountEvent = 12;         // (LONG*): a var parameter
constexpr DISPID kArrayEvent = 13;         // (VARIANT&)
constexpr DISPID kLegacyTextEvent = 14;    // legacy: (AnsiString&, int)
constexpr DISPID kLegacyObjectEvent = 15;  // legacy: (const VARIANT&)
constexpr DISPID kNoArgumentEvent = 16;    // ()
inline const DISPID kEventIds[] = {kMeasureEvent, kTextEvent,       kCountEvent,        kArrayEvent,
                                   kTextEvent,    kLegacyTextEvent, kLegacyObjectEvent, kNoArgumentEvent};

class THost : public TOleControl2 {
 public:
  explicit THost(TComponent* owner) : TOleControl2(owner) {}

  static ControlDescriptor descriptor;
  static bool useSecondTable;
  static void ResetDescriptor();

  TOleEvent<double, int> OnMeasure;
  TOleEvent<BSTR> OnText;
  TOleEvent<LONG*> OnCount;
  TOleEvent<VARIANT&> OnArray;
  TOleEvent<BSTR> OnTextAgain;
  TOleEvent<AnsiString&, int> OnLegacyText;
  TOleEvent<const VARIANT&> OnLegacyObject;
  TOleEvent<> OnNoArgument;
  TOleEvent<double, int> OnSecondMeasure;  // slot 0 of the second table

  using TOleControl2::FindEventHandler;
  using TOleControl2::OnChanged;

 protected:
  void DescribeControl() override {
    descriptor.EventTableOffset = useSecondTable ? EventTableOffsetOf(secondSlots_) : 0;
    UseDescriptor(descriptor);
  }

 private:
  TEventSlots slots_{
      *this, {&OnMeasure, &OnText, &OnCount, &OnArray, &OnTextAgain, &OnLegacyText, &OnLegacyObject, &OnNoArgument}};
  TEventSlots secondSlots_{*this, {&OnSecondMeasure}};
};

struct Reported {
  TObject* sender;
  std::string message;
};

class HostTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A host on the form (not yet shown), made with the control's behaviour as given.
  THost* MakeHost(const test_control::Behaviour& behaviour = {});
  test_control::TestControl& Control() { return *test_control::TestControl::last; }

  TComponentPtr<TForm> form;
  std::vector<Reported> reported;

 private:
  TExceptionReporter previousReporter_;
};

using test_values::Boolean;
using test_values::Double;
using test_values::Long;
using test_values::Of;
using test_values::Text;

}  // namespace host_test
