// In-place activation: the control's own window as the host's, extent and bounds, controls
// invisible at run time, UI activation on a form, menus, and the host's window procedure.
#include <QCoreApplication>
#include <QWidget>

#include "tests/activex/host_fixture.h"

namespace host_test {
namespace {

using test_control::Behaviour;
using test_control::TestControl;

TEST_F(HostTest, WindowCreationAdoptsTheControlsOwnWindowAndDestructionGivesItBack) {
  THost* host = MakeHost();
  TestControl& control = Control();
  int created = 0;
  host->OnWindowCreated = [&](TObject* sender) {
    EXPECT_EQ(sender, host);
    ++created;
  };
  form->Show();
  HWND window = control.window;
  ASSERT_TRUE(IsWindow(window));
  EXPECT_EQ(host->Handle(), window);
  EXPECT_EQ(GetParent(window), form->Handle());
  EXPECT_EQ(FindControl(window), host);
  EXPECT_EQ(host->DefWndProc(), reinterpret_cast<WNDPROC>(&TestControl::WindowProcedure));
  EXPECT_EQ(created, 1);
  ASSERT_NE(host->InPlaceObject(), nullptr);
  EXPECT_TRUE(control.Called("DoVerb(-5)"));

  // What the host does not handle reaches the control's procedure; reflected notifications do so
  // renumbered for the control, and a child's notification to its parent is reflected first.
  control.windowMessages.clear();
  SendMessageA(window, WM_USER + 5, 0, 0);
  host->Perform(CN_BASE + WM_COMMAND, 1, 0);
  SendMessageA(form->Handle(), WM_COMMAND, 0, reinterpret_cast<LPARAM>(window));
  EXPECT_EQ(control.windowMessages, (std::vector<UINT>{WM_USER + 5, OCM__BASE + WM_COMMAND, OCM__BASE + WM_COMMAND}));

  host->DestroyHandle();
  EXPECT_FALSE(host->HandleAllocated());
  EXPECT_TRUE(control.Called("Close(1)"));
  EXPECT_EQ(host->InPlaceObject(), nullptr);  // the control deactivated itself

  host->HandleNeeded();  // activated anew
  EXPECT_TRUE(IsWindow(control.window));
  EXPECT_EQ(host->Handle(), control.window);
  EXPECT_EQ(created, 2);
}

TEST_F(HostTest, ActivationThatFailsSaysWhyAndLeavesTheHostWithoutAWindow) {
  Behaviour silent;
  silent.activates = false;
  THost* host = MakeHost(silent);
  try {
    host->HandleNeeded();
    FAIL() << "activated a control that never answered";
  } catch (const EOleError& e) {
    EXPECT_STREQ(e.what(), "OLE control activation failed");
  }
  EXPECT_FALSE(host->HandleAllocated());

  Behaviour windowless;
  windowless.makesWindow = false;
  THost* other = MakeHost(windowless);
  try {
    other->HandleNeeded();
    FAIL() << "took a control without a window";
  } catch (const EOleError& e) {
    EXPECT_STREQ(e.what(), "Could not obtain OLE control window handle");
  }
  EXPECT_FALSE(other->HandleAllocated());
}

TEST_F(HostTest, AHiddenHostHidesTheControlsWindowThatTheControlShowedOnActivation) {
  form->Show();
  Behaviour showing;
  showing.showsWindowWhenAttached = true;
  THost* host = MakeHost(showing);
  host->SetVisible(false);
  host->HandleNeeded();
  ASSERT_TRUE(Control().shownWhenAttached);
  EXPECT_FALSE(IsWindowVisible(host->Handle()));
}

TEST_F(HostTest, TheHostIsSizedFromTheControlsExtentAndTellsItOfEveryNewSize) {
  THost* host = MakeHost();  // the control's extent: 8467 x 6350 HIMETRIC
  TestControl& control = Control();
  EXPECT_EQ(host->Width(), 320);
  EXPECT_EQ(host->Height(), 240);
  host->SetBounds(0, 0, 640, 480);
  EXPECT_TRUE(control.Called("SetExtent(16933,12700)"));
  control.calls.clear();
  host->SetBounds(5, 6, 640, 480);  // the same size: only moved
  EXPECT_TRUE(control.calls.empty());
  EXPECT_EQ(host->Left(), 5);
  host->SetBounds(0, 0, 320, 240);
  EXPECT_TRUE(control.Called("SetExtent(8467,6350)"));

  control.behaviour.refusesExtent = true;
  host->SetBounds(30, 40, 100, 100);
  EXPECT_EQ(host->Width(), 320);  // the old size, the new place
  EXPECT_EQ(host->Height(), 240);
  EXPECT_EQ(host->Left(), 30);
  EXPECT_EQ(host->Top(), 40);

  Behaviour empty;
  empty.extent = SIZEL{0, 0};
  THost* unsized = MakeHost(empty);
  EXPECT_EQ(unsized->Width(), 0);
  Control().calls.clear();
  unsized->SetBounds(0, 0, 100, 50);  // from nothing: no extent to tell
  EXPECT_TRUE(Control().calls.empty());
  EXPECT_EQ(unsized->Width(), 100);
}

TEST_F(HostTest, AControlInvisibleAtRunTimeGetsAPlainFixedSizeWindowThatTheHostPaints) {
  Behaviour invisible;
  invisible.miscStatus = OLEMISC_INVISIBLEATRUNTIME;
  THost* host = MakeHost(invisible);
  TestControl& control = Control();
  EXPECT_FALSE(host->Visible());
  EXPECT_EQ(host->Width(), 32);  // at most 32 by 32 before connection
  EXPECT_EQ(host->Height(), 32);
  host->SetBounds(10, 10, 200, 200);
  EXPECT_EQ(host->Width(), 32);
  EXPECT_EQ(host->Left(), 10);

  host->SetVisible(true);
  form->Show();
  EXPECT_FALSE(control.Called("DoVerb(-5)"));
  EXPECT_NE(host->Handle(), nullptr);
  EXPECT_EQ(control.window, nullptr);
  const QImage image = host->Widget()->grab().toImage();
  EXPECT_TRUE(control.Called("Draw"));
  EXPECT_EQ(image.pixelColor(16, 16), QColor(0, 255, 0));  // the control's green back colour
}

TEST_F(HostTest, KeysAreOfferedToTheControlsAcceleratorsWithTheFixedPoint) {
  Behaviour translating;
  translating.translatedKey = static_cast<WORD>(VK_F1 + 1);
  THost* host = MakeHost(translating);
  TestControl& control = Control();
  form->Show();
  control.windowMessages.clear();
  SendMessageA(host->Handle(), WM_KEYDOWN, static_cast<WORD>(VK_F1 + 1), 0x3C0001);
  ASSERT_EQ(control.translated.size(), 1u);
  const MSG& msg = control.translated[0];
  EXPECT_EQ(msg.hwnd, host->Handle());
  EXPECT_EQ(msg.message, WM_KEYDOWN);
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>(static_cast<WORD>(VK_F1 + 1)));
  EXPECT_EQ(msg.lParam, 0x3C0001);
  EXPECT_EQ(msg.pt.x, 0x115DE1F1);
  EXPECT_EQ(msg.pt.y, 0x115DE1F1);
  EXPECT_EQ(std::count(control.windowMessages.begin(), control.windowMessages.end(), WM_KEYDOWN), 0);  // taken

  // The window's own keys fire none of the host's input events: those come as stock events.
  bool keyDown = false;
  host->OnKeyDown = [&](TObject*, WORD&, TShiftState) { keyDown = true; };
  SendMessageA(host->Handle(), WM_KEYDOWN, 'A', 0);
  EXPECT_EQ(std::count(control.windowMessages.begin(), control.windowMessages.end(), WM_KEYDOWN), 1);
  EXPECT_FALSE(keyDown);
}

TEST_F(HostTest, ANavigationKeyThatIsOneOfTheControlsMnemonicsGoesToOnMnemonic) {
  Behaviour mnemonic;
  mnemonic.mnemonics = {ACCEL{FVIRTKEY, VK_RETURN, 1}};
  THost* host = MakeHost(mnemonic);
  TestControl& control = Control();
  form->Show();
  EXPECT_EQ(form->Perform(CM_DIALOGKEY, VK_ESCAPE, 0), 0);
  EXPECT_TRUE(control.mnemonicMessages.empty());
  control.windowMessages.clear();
  SendMessageA(host->Handle(), WM_KEYDOWN, VK_RETURN, 0x1C0001);
  ASSERT_EQ(control.mnemonicMessages.size(), 1u);
  EXPECT_EQ(control.mnemonicMessages[0].message, WM_KEYDOWN);
  EXPECT_EQ(control.mnemonicMessages[0].wParam, static_cast<WPARAM>(VK_RETURN));
  EXPECT_EQ(control.mnemonicMessages[0].pt.x, 0);
  EXPECT_EQ(std::count(control.windowMessages.begin(), control.windowMessages.end(), WM_KEYDOWN), 0);
}

TEST_F(HostTest, UIActivationMovesFromOneHostToAnotherOnTheSameForm) {
  THost* first = MakeHost();
  TestControl& firstControl = Control();
  THost* second = MakeHost();
  TestControl& secondControl = Control();
  form->Show();
  first->Perform(CM_HOSTUIACTIVATE, 0, 0);
  EXPECT_EQ(form->UIActiveHostedControl(), first);
  EXPECT_TRUE(firstControl.uiActive);
  firstControl.calls.clear();
  first->Perform(CM_HOSTUIACTIVATE, 0, 0);  // already UI-active: no second DoVerb
  EXPECT_FALSE(firstControl.Called("DoVerb(-4)"));

  second->Perform(CM_HOSTUIACTIVATE, 0, 0);
  EXPECT_EQ(form->UIActiveHostedControl(), second);
  EXPECT_FALSE(firstControl.uiActive);
  EXPECT_TRUE(firstControl.Called("UIDeactivate"));
  EXPECT_TRUE(secondControl.uiActive);

  first->Perform(CM_HOSTUIDEACTIVATE, 0, 0);  // not the form's UI-active one: nothing
  EXPECT_TRUE(secondControl.uiActive);
  TComponentDeleter()(second);
  EXPECT_EQ(form->UIActiveHostedControl(), nullptr);
}

TEST_F(HostTest, TheFocusMovingFromOneHostToAnotherMovesTheUIActivationWithIt) {
  THost* first = MakeHost();
  TestControl& firstControl = Control();
  THost* second = MakeHost();
  form->Show();
  form->Widget()->activateWindow();
  QCoreApplication::processEvents();
  SetFocus(first->Handle());
  QCoreApplication::processEvents();
  EXPECT_EQ(form->UIActiveHostedControl(), first);
  SetFocus(second->Handle());
  QCoreApplication::processEvents();
  EXPECT_EQ(form->UIActiveHostedControl(), second);
  EXPECT_FALSE(firstControl.uiActive);
}

class MdiForm final : public TForm {
 public:
  using TForm::TForm;
  bool IsMDIChild() const override { return true; }
};

TEST_F(HostTest, DocumentActivationReachesTheControlOnlyOnMdiChildForms) {
  THost* host = MakeHost();
  form->Show();
  host->Perform(CM_HOSTDOCACTIVATE, 1, 0);
  EXPECT_FALSE(Control().Called("OnDocWindowActivate(1)"));

  TComponentPtr<MdiForm> child = MakeComponent<MdiForm>(nullptr);
  TestControl::next = {};
  THost* hosted = child->CreateComponent<THost>();
  hosted->SetParent(child.get());
  child->Show();
  hosted->Perform(CM_HOSTDOCACTIVATE, 1, 0);
  hosted->Perform(CM_HOSTDOCACTIVATE, 0, 0);
  EXPECT_TRUE(Control().Called("OnDocWindowActivate(1)"));
  EXPECT_TRUE(Control().Called("OnDocWindowActivate(0)"));
}

class RecordingMenu final : public TMergeMenu {
 public:
  explicit RecordingMenu(HWND window) : window_(window) {}
  void PopulateOle2Menu(HMENU sharedMenu, LONG widths[6]) override {
    AppendMenuA(sharedMenu, MF_STRING, 1, "File");
    AppendMenuA(sharedMenu, MF_STRING, 2, "Window");
    widths[0] = 1;
    widths[4] = 1;
  }
  void SetOle2MenuHandle(HMENU menu) override { shown.push_back(menu); }
  HWND WindowHandle() override { return window_; }
  std::vector<HMENU> shown;

 private:
  HWND window_;
};

TEST_F(HostTest, MenusMergeIntoTheFormsMenuBarWhenThereIsOneAndAreAnsweredWhenThereIsNone) {
  THost* host = MakeHost();
  form->Show();
  ComPtr<IOleInPlaceFrame> frame;
  host->Unknown()->QueryInterface(IID_IOleInPlaceFrame, frame.PutVoid());
  HMENU shared = CreateMenu();
  OLEMENUGROUPWIDTHS widths{};
  EXPECT_EQ(frame->InsertMenus(shared, &widths), S_OK);
  EXPECT_EQ(GetMenuItemCount(shared), 0);
  EXPECT_EQ(frame->SetMenu(shared, nullptr, nullptr), S_OK);

  RecordingMenu menu(form->Handle());
  form->SetMenu(&menu);
  EXPECT_EQ(frame->InsertMenus(shared, &widths), S_OK);
  EXPECT_EQ(GetMenuItemCount(shared), 2);
  EXPECT_EQ(widths.width[0], 1);
  EXPECT_EQ(widths.width[4], 1);
  HOLEMENU descriptor = OleCreateMenuDescriptor(shared, &widths);
  EXPECT_EQ(frame->SetMenu(shared, descriptor, host->Handle()), S_OK);
  EXPECT_EQ(menu.shown, std::vector<HMENU>{shared});
  RecordingMenu elsewhere(reinterpret_cast<HWND>(0x99));  // a frame window that is none
  form->SetMenu(&elsewhere);
  EXPECT_EQ(frame->SetMenu(shared, descriptor, host->Handle()), E_INVALIDARG);
  form->SetMenu(&menu);
  EXPECT_EQ(frame->SetMenu(nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(menu.shown.back(), nullptr);  // the form's own menu again
  EXPECT_EQ(frame->RemoveMenus(shared), S_OK);
  EXPECT_EQ(GetMenuItemCount(shared), 0);
  form->SetMenu(nullptr);
  OleDestroyMenuDescriptor(descriptor);
  DestroyMenu(shared);
}

TEST_F(HostTest, TheInPlaceSiteTellsTheControlWhereItIs) {
  THost* host = MakeHost();
  form->Show();
  host->SetBounds(10, 20, 320, 240);
  ComPtr<IOleInPlaceSite> site;
  host->Unknown()->QueryInterface(IID_IOleInPlaceSite, site.PutVoid());
  HWND parent = nullptr;
  EXPECT_EQ(site->GetWindow(&parent), S_OK);
  EXPECT_EQ(parent, form->Handle());
  IOleInPlaceFrame* frame = nullptr;
  IOleInPlaceUIWindow* document = reinterpret_cast<IOleInPlaceUIWindow*>(1);
  RECT position{}, clip{};
  OLEINPLACEFRAMEINFO info{};
  info.cb = 1234;
  const LONG before = host->ReferenceCount();
  ASSERT_EQ(site->GetWindowContext(&frame, &document, &position, &clip, &info), S_OK);
  EXPECT_EQ(host->ReferenceCount(), before + 1);
  frame->Release();
  EXPECT_EQ(document, nullptr);
  EXPECT_EQ(position.left, 10);
  EXPECT_EQ(position.bottom, 260);
  EXPECT_EQ(clip.right, 32767);
  EXPECT_EQ(info.cb, 1234u);  // the control's to set
  EXPECT_EQ(info.hwndFrame, form->Handle());
  EXPECT_FALSE(info.fMDIApp);
  EXPECT_EQ(site->GetWindowContext(&frame, nullptr, &position, &clip, &info), E_POINTER);
  EXPECT_EQ(frame, nullptr);
  EXPECT_EQ(site->Scroll(SIZE{1, 1}), E_NOTIMPL);
  const RECT moved{1, 2, 3, 4};
  EXPECT_EQ(site->OnPosRectChange(&moved), S_OK);
  EXPECT_TRUE(Control().Called("SetObjectRects"));
}

TEST_F(HostTest, PaletteAndParentChangesAreHandedToTheControl) {
  Behaviour palette;
  palette.realizesPalette = true;
  MakeHost(palette);
  TestControl& control = Control();
  form->Show();
  EXPECT_EQ(form->Perform(WM_QUERYNEWPALETTE, 0, 0), 1);
  control.behaviour.realizesPalette = false;
  EXPECT_EQ(form->Perform(WM_QUERYNEWPALETTE, 0, 0), 0);

  control.calls.clear();
  TFont font = form->Font();
  font.Name = "Other";
  form->SetFont(font);
  form->SetColor(RGB(255, 255, 0));
  EXPECT_EQ(control.calls, (std::vector<std::string>{"OnAmbientPropertyChange(-703)", "OnAmbientPropertyChange(-704)",
                                                     "OnAmbientPropertyChange(-701)"}));
}

}  // namespace
}  // namespace host_test
