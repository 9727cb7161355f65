// Media types that are copied and freed across interfaces, and the allocator that streaming threads
// wait on: it must give buffers back, refuse changes while in use, and free every waiter on stop.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/dshow/dshow.h"
#include "platform/dshow/media_sample.h"

namespace dshow_test {
namespace {

TEST(MediaTypes, CopiesOwnTheirFormatBlockAndReference) {
  struct Counted final : IUnknown {
    ULONG refs = 1;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
  } unknown;
  VIDEOINFOHEADER info{};
  info.bmiHeader.biWidth = 98;
  AM_MEDIA_TYPE original{};
  original.majortype = MEDIATYPE_Video;
  original.formattype = FORMAT_VideoInfo;
  original.cbFormat = sizeof info;
  original.pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(sizeof info));
  std::memcpy(original.pbFormat, &info, sizeof info);
  original.pUnk = &unknown;
  unknown.AddRef();

  AM_MEDIA_TYPE* copy = CreateMediaType(&original);
  ASSERT_TRUE(copy);
  EXPECT_NE(original.pbFormat, copy->pbFormat);
  EXPECT_EQ(3u, unknown.refs);
  FreeMediaType(original);
  EXPECT_EQ(nullptr, original.pbFormat);
  EXPECT_EQ(0u, original.cbFormat);
  EXPECT_EQ(98, reinterpret_cast<VIDEOINFOHEADER*>(copy->pbFormat)->bmiHeader.biWidth);
  DeleteMediaType(copy);
  EXPECT_EQ(1u, unknown.refs);
  DeleteMediaType(nullptr);
  EXPECT_EQ(E_POINTER, CopyMediaType(nullptr, &original));
}

class Allocator : public testing::Test {
 protected:
  Allocator() : allocator_(ComPtr<IMemAllocator>::Attach(new dshow::MemAllocator)) {
    ALLOCATOR_PROPERTIES request{2, 100, 16, 0}, actual{};
    EXPECT_EQ(S_OK, allocator_->SetProperties(&request, &actual));
    EXPECT_EQ(112, actual.cbBuffer);  // rounded up to the alignment
  }
  ComPtr<IMemAllocator> allocator_;
};

TEST_F(Allocator, BuffersComeBackWhenTheirSampleIsReleasedAndWaitersGetThem) {
  IMediaSample* sample = nullptr;
  EXPECT_EQ(VFW_E_NOT_COMMITTED, allocator_->GetBuffer(&sample, nullptr, nullptr, 0));
  ASSERT_EQ(S_OK, allocator_->Commit());
  IMediaSample* first = nullptr;
  IMediaSample* second = nullptr;
  ASSERT_EQ(S_OK, allocator_->GetBuffer(&first, nullptr, nullptr, 0));
  ASSERT_EQ(S_OK, allocator_->GetBuffer(&second, nullptr, nullptr, 0));
  EXPECT_EQ(112, first->GetSize());
  EXPECT_EQ(VFW_E_TIMEOUT, allocator_->GetBuffer(&sample, nullptr, nullptr, AM_GBF_NOWAIT));
  ALLOCATOR_PROPERTIES request{4, 10, 1, 0}, actual{};
  EXPECT_EQ(VFW_E_ALREADY_COMMITTED, allocator_->SetProperties(&request, &actual));

  // The times set on a buffer do not survive its return.
  REFERENCE_TIME start = 5, stop = 9;
  first->SetTime(&start, &stop);
  first->SetDiscontinuity(TRUE);
  std::atomic<IMediaSample*> waited{nullptr};
  std::thread waiter([&] {
    IMediaSample* got = nullptr;
    allocator_->GetBuffer(&got, nullptr, nullptr, 0);
    waited = got;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_EQ(nullptr, waited.load());
  first->Release();
  waiter.join();
  ASSERT_TRUE(waited.load());
  EXPECT_EQ(VFW_E_SAMPLE_TIME_NOT_SET, waited.load()->GetTime(&start, &stop));
  EXPECT_EQ(S_FALSE, waited.load()->IsDiscontinuity());
  EXPECT_EQ(112, waited.load()->GetActualDataLength());
  EXPECT_EQ(VFW_E_BUFFER_OVERFLOW, waited.load()->SetActualDataLength(113));

  // Somebody else's sample is not taken back.
  dshow::OwnedSample* stranger = new dshow::OwnedSample(4);
  EXPECT_EQ(E_INVALIDARG, allocator_->ReleaseBuffer(stranger));
  stranger->Release();
  start = 7;
  second->SetTime(&start, nullptr);
  EXPECT_EQ(VFW_S_NO_STOP_TIME, second->GetTime(&start, &stop));
  EXPECT_EQ(8, stop);
  waited.load()->Release();
  second->Release();
}

TEST_F(Allocator, DecommitFreesAThreadWaitingForABuffer) {
  ASSERT_EQ(S_OK, allocator_->Commit());
  IMediaSample* held[2] = {};
  ASSERT_EQ(S_OK, allocator_->GetBuffer(&held[0], nullptr, nullptr, 0));
  ASSERT_EQ(S_OK, allocator_->GetBuffer(&held[1], nullptr, nullptr, 0));
  std::atomic<HRESULT> result{S_FALSE};
  std::thread waiter([&] {
    IMediaSample* got = nullptr;
    result = allocator_->GetBuffer(&got, nullptr, nullptr, 0);
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  ASSERT_EQ(S_OK, allocator_->Decommit());
  waiter.join();
  EXPECT_EQ(VFW_E_NOT_COMMITTED, result.load());
  // Buffers still out keep the allocator alive and go when they come back.
  IMemAllocator* raw = allocator_.Detach();
  raw->Release();
  held[0]->Release();
  held[1]->Release();
}

}  // namespace
}  // namespace dshow_test
