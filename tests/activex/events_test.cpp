// The control's events: the typed handler slots (direct and legacy forms) and the stock events.
#include "tests/activex/host_fixture.h"

namespace host_test {
namespace {

using test_control::TestControl;

class EventTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    host = MakeHost();
    host->ConnectObject();
  }
  // Fires from the control: arguments first argument first; answers them as the host left them.
  std::vector<VARIANT> Fire(DISPID id, std::vector<VARIANT> arguments) {
    return Control().Fire(id, std::move(arguments));
  }
  THost* host = nullptr;
};

TEST_F(EventTest, ArgumentsReachTheHandlerInDeclarationOrderWithTheirOwnTypes) {
  std::vector<std::pair<double, int>> measured;
  host->OnMeasure = [&](TObject* sender, double value, int count) {
    EXPECT_EQ(sender, host);
    measured.emplace_back(value, count);
  };
  Fire(kMeasureEvent, {Double(2.5), Long(7)});
  EXPECT_EQ(measured, (std::vector<std::pair<double, int>>{{2.5, 7}}));

  std::u16string text;
  host->OnText = [&](TObject*, BSTR value) { text.assign(value, SysStringLen(value)); };
  VARIANT word = Text("hello");
  Fire(kTextEvent, {word});
  EXPECT_EQ(text, u"hello");
  VariantClear(&word);
  EXPECT_TRUE(reported.empty());
}

TEST_F(EventTest, AVarParameterWritesThroughIntoTheControlsVariableAndArraysComeAsTheirVariant) {
  host->OnCount = [](TObject*, LONG* count) { *count += 1; };
  LONG count = 41;
  VARIANT byReference = Of(VT_I4 | VT_BYREF);
  byReference.plVal = &count;
  Fire(kCountEvent, {byReference});
  EXPECT_EQ(count, 42);

  const VARIANT* seen = nullptr;
  host->OnArray = [&](TObject*, VARIANT& element) { seen = &element; };
  VARIANT array = Of(VT_ARRAY | VT_I4);
  Fire(kArrayEvent, {array});
  ASSERT_NE(seen, nullptr);
  EXPECT_EQ(reported.size(), 0u);
}

TEST_F(EventTest, ARepeatedIdUsesTheFirstSlotAndUnknownOrEmptySlotsAreDropped) {
  int first = 0, second = 0;
  host->OnText = [&](TObject*, BSTR) { ++first; };
  host->OnTextAgain = [&](TObject*, BSTR) { ++second; };
  VARIANT word = Text("x");
  Fire(kTextEvent, {word});
  VariantClear(&word);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 0);
  EXPECT_EQ(host->FindEventHandler(kTextEvent), &host->OnText);
  Fire(999, {Long(1)});                       // not among the event ids
  Fire(kMeasureEvent, {Double(1), Long(1)});  // no handler in its slot
  EXPECT_TRUE(reported.empty());
}

TEST_F(EventTest, HandlersThatDoNotFitOrRaiseAreReportedWithTheHostAsSenderAndTheControlHearsOk) {
  host->OnMeasure = [](TObject*, double, int) { throw Exception("handler failed"); };
  Fire(kMeasureEvent, {Double(1), Long(2)});
  ASSERT_EQ(reported.size(), 1u);
  EXPECT_EQ(reported[0].sender, host);
  EXPECT_EQ(reported[0].message, "handler failed");

  bool called = false;
  host->OnMeasure = [&](TObject*, double, int) { called = true; };
  Fire(kMeasureEvent, {Long(1), Long(2)});  // a 32-bit value where the handler takes 64 bits
  Fire(kMeasureEvent, {Double(1)});         // too few arguments: nothing read past them
  host->OnText = [&](TObject*, BSTR) { called = true; };
  Fire(kTextEvent, {Long(5)});  // a number where the handler takes a string
  EXPECT_FALSE(called);
  ASSERT_EQ(reported.size(), 4u);
  EXPECT_EQ(reported[2].message, "The control's event 10 has 1 arguments where its handler takes 2");
  EXPECT_EQ(reported[3].sender, host);

  ComPtr<IDispatch> sink(static_cast<IDispatch*>(&host->EventSink()));
  EXPECT_EQ(sink->Invoke(kMeasureEvent, GUID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr), E_POINTER);
}

TEST_F(EventTest, TheDescriptorsTableOffsetChoosesTheSlotsAndZeroMeansTheFirstTable) {
  int first = 0, second = 0;
  host->OnMeasure = [&](TObject*, double, int) { ++first; };
  host->OnSecondMeasure = [&](TObject*, double, int) { ++second; };
  Fire(kMeasureEvent, {Double(1), Long(1)});
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 0);

  THost::useSecondTable = true;  // the next host points its descriptor at its second table
  THost* other = MakeHost();
  other->ConnectObject();
  EXPECT_NE(THost::descriptor.EventTableOffset, 0u);
  other->OnSecondMeasure = [&](TObject*, double, int) { ++second; };
  Fire(kMeasureEvent, {Double(1), Long(1)});
  EXPECT_EQ(second, 1);
  THost::descriptor.EventTableOffset = 12345;  // names no table: no handler is found
  EXPECT_EQ(other->FindEventHandler(kMeasureEvent), nullptr);
}

TEST_F(EventTest, TheLegacyFormPassesEightBitStringsWritesBackByReferenceAndRefusesTooManyArguments) {
  THost::descriptor.DescriptorVersion = 200;
  host->OnLegacyText = [](TObject*, AnsiString& text, int number) { text += "-" + IntToStr(number); };
  BSTR place = com::AllocBstr("name");
  VARIANT byReference = Of(VT_BSTR | VT_BYREF);
  byReference.pbstrVal = &place;
  Fire(kLegacyTextEvent, {byReference, Long(3)});
  EXPECT_EQ(com::BstrToUtf8(place), "name-3");  // the old string was freed, not leaked
  SysFreeString(place);

  const VARIANT* object = nullptr;
  host->OnLegacyObject = [&](TObject*, const VARIANT& element) { object = &element; };
  VARIANT dispatch = Of(VT_DISPATCH);
  dispatch.pdispVal = &Control();
  Fire(kLegacyObjectEvent, {dispatch});
  EXPECT_NE(object, nullptr);
  // A string array is an array, not a string.
  VARIANT strings = Of(VT_ARRAY | VT_BSTR);
  object = nullptr;
  Fire(kLegacyObjectEvent, {strings});
  EXPECT_NE(object, nullptr);
  EXPECT_TRUE(reported.empty());

  bool called = false;
  host->OnNoArgument = [&](TObject*) { called = true; };
  Fire(kNoArgumentEvent, std::vector<VARIANT>(33, Long(0)));
  EXPECT_FALSE(called);
  ASSERT_EQ(reported.size(), 1u);
  EXPECT_EQ(reported[0].message, "The control's event 16 has 33 arguments; at most 32 can be passed to its handler");
}

TEST_F(EventTest, StockEventsBecomeTheHostsOwnInputEvents) {
  int clicks = 0;
  host->OnClick = [&](TObject* sender) {
    EXPECT_EQ(sender, host);
    ++clicks;
  };
  Fire(DISPID_CLICK, {});
  EXPECT_EQ(clicks, 1);

  std::vector<std::pair<TMouseButton, TShiftState>> downs;
  host->OnMouseDown = [&](TObject*, TMouseButton button, TShiftState shift, int x, int y) {
    downs.emplace_back(button, shift);
    EXPECT_EQ(x, 10);
    EXPECT_EQ(y, 20);
  };
  VARIANT shortButton = Of(VT_I2);
  shortButton.iVal = 3;  // left and right
  Fire(DISPID_MOUSEDOWN, {shortButton, Long(1), Long(10), Long(20)});
  Fire(DISPID_MOUSEDOWN, {Long(0), Long(0), Long(10), Long(20)});
  Fire(DISPID_MOUSEDOWN, {Long(1), Long(1), Long(10)});  // too few: dropped
  ASSERT_EQ(downs.size(), 2u);
  EXPECT_EQ(downs[0].first, TMouseButton::mbLeft);
  EXPECT_EQ(downs[0].second, ssShift | ssLeft | ssRight);
  EXPECT_EQ(downs[1].first, TMouseButton::mbLeft);
  EXPECT_EQ(downs[1].second, 0);
  EXPECT_TRUE(reported.empty());
}

TEST_F(EventTest, KeyEventsGiveChangedKeysBackOnlyThroughReferencesAndOnlyAsWideAsTheirVariable) {
  host->OnKeyDown = [](TObject*, WORD& key, TShiftState shift) {
    EXPECT_EQ(shift, ssCtrl);
    key = 0;
  };
  SHORT key = VK_RETURN;
  VARIANT keyByReference = Of(VT_I2 | VT_BYREF);
  keyByReference.piVal = &key;
  Fire(DISPID_KEYDOWN, {keyByReference, Long(2)});
  EXPECT_EQ(key, 0);

  int pressed = 0;
  host->OnKeyPress = [&](TObject*, char& ch) {
    ++pressed;
    ch = 'B';
  };
  SHORT ascii = 0x4161;  // 'a' in the low byte
  VARIANT asciiByReference = Of(VT_I2 | VT_BYREF);
  asciiByReference.piVal = &ascii;
  Fire(DISPID_KEYPRESS, {asciiByReference});
  EXPECT_EQ(ascii, 0x4142);  // one byte written, the other kept
  BYTE small = 'a';
  VARIANT byteByReference = Of(VT_UI1 | VT_BYREF);
  byteByReference.pbVal = &small;
  host->OnKeyDown = [](TObject*, WORD& k, TShiftState) { k = 0x1234; };
  Fire(DISPID_KEYDOWN, {byteByReference, Long(0)});  // a 16-bit key into an 8-bit variable
  EXPECT_EQ(small, 0x34);
  const std::vector<VARIANT> given = Fire(DISPID_KEYPRESS, {Long('a')});  // nothing to give back into
  EXPECT_EQ(pressed, 2);
  ASSERT_EQ(given.size(), 1u);
  EXPECT_EQ(given[0].vt, VT_I4);
  EXPECT_EQ(given[0].lVal, 'a') << "a key given by value was written into";

  VARIANT notANumber = Of(VT_DISPATCH);
  notANumber.pdispVal = nullptr;
  Fire(DISPID_KEYUP, {notANumber, Long(0)});
  ASSERT_EQ(reported.size(), 1u);
  EXPECT_EQ(reported[0].sender, host);
}

}  // namespace
}  // namespace host_test
