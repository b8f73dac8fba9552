// The crossbar routes in front of an analog capture input, walked on the synthetic camera's
// crossbar chains.
#include "capture/CrossbarRouter.h"

#include "platform/capture/Capture.h"

#include <gtest/gtest.h>

namespace {

using ms::capture::SyntheticCamera;
using ms::capture::SyntheticCrossbar;

class CrossbarRouterTest : public ::testing::Test {
protected:
    void SetUp() override { ms::capture::UseSyntheticCamera(true); }
    void TearDown() override { SyntheticCamera::Instance().ResetToDefault(); }

    // Binds a device with these crossbars and answers its analog video input pin.
    std::shared_ptr<IPin> AnalogInput(std::vector<SyntheticCrossbar> crossbars) {
        ms::capture::SyntheticDevice d;
        d.crossbars = std::move(crossbars);
        SyntheticCamera::Instance().SetDevices({d});
        std::shared_ptr<ICreateDevEnum> devEnum;
        ICreateDevEnum::Create(&devEnum);
        std::vector<std::shared_ptr<IMoniker>> monikers;
        devEnum->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, &monikers);
        if (monikers.empty() || FAILED(monikers[0]->BindToFilter(&filter_)))
            return nullptr;
        for (const auto& p : filter_->EnumPins()) {
            GUID category;
            if (p->Direction() == PINDIR_INPUT && SUCCEEDED(p->QueryPinCategory(&category)) &&
                category == PIN_CATEGORY_ANALOGVIDEOIN)
                return p;
        }
        return nullptr;
    }
    std::shared_ptr<IBaseFilter> filter_;
};

std::vector<LONG> InputTypes(const CCrossbarRouter& router) {
    LONG count = 0;
    router.GetInputCount(&count);
    std::vector<LONG> types;
    for (LONG i = 0; i < count; ++i) {
        LONG type = 0;
        EXPECT_EQ(router.GetInputType(i, &type), S_OK);
        types.push_back(type);
    }
    return types;
}

TEST_F(CrossbarRouterTest, OneCrossbarListsItsVideoInputsAndNeverItsAudioInputs) {
    auto pin = AnalogInput({{{PhysConn_Video_Composite, PhysConn_Video_SVideo, PhysConn_Audio_Line},
                             {PhysConn_Video_VideoDecoder, PhysConn_Audio_AudioDecoder},
                             0}});
    ASSERT_TRUE(pin);
    CCrossbarRouter router(pin);
    EXPECT_EQ(InputTypes(router),
              (std::vector<LONG>{PhysConn_Video_Composite, PhysConn_Video_SVideo}));
    const CRouting& composite = router.Route(0).at(0);
    EXPECT_EQ(composite.depth, 0);
    EXPECT_EQ(composite.videoInputIndex, 0);
    EXPECT_EQ(composite.videoOutputIndex, 0);
    EXPECT_EQ(composite.audioInputIndex, 2); // the line input goes with the first video input
    EXPECT_EQ(composite.audioOutputIndex, 1);
    EXPECT_EQ(composite.outputPhysicalType, PhysConn_Video_VideoDecoder);
    EXPECT_EQ(router.Route(1).at(0).audioInputIndex, -1);
    EXPECT_FALSE(composite.left);
    EXPECT_FALSE(composite.right);

    WCHAR name[32];
    EXPECT_EQ(router.GetInputName(1, name, 32), S_OK);
    EXPECT_EQ(std::u16string(name), u"Video SVideo");
    EXPECT_EQ(router.GetInputName(0, name, 6), S_OK);
    EXPECT_EQ(std::u16string(name), u"Video"); // cut to the buffer
    EXPECT_EQ(router.GetInputName(2, name, 32), E_FAIL);
    EXPECT_EQ(router.GetInputName(0, nullptr, 32), E_FAIL);
    EXPECT_EQ(router.GetInputName(0, name, 0), E_FAIL);
    LONG type = 0;
    EXPECT_EQ(router.GetInputType(-1, &type), E_FAIL);
    EXPECT_EQ(router.SetInputIndex(2), E_FAIL);
}

TEST_F(CrossbarRouterTest, TwoCrossbarsGiveRoutesThroughBothFromTheConnectorEnd) {
    // The outer crossbar feeds input 0 of the inner one.
    auto pin = AnalogInput({
        {{PhysConn_Video_Composite, PhysConn_Video_SVideo}, {PhysConn_Video_VideoDecoder}, 0},
        {{PhysConn_Video_Tuner, PhysConn_Video_Composite, PhysConn_Audio_Tuner},
         {PhysConn_Video_VideoDecoder},
         0},
    });
    ASSERT_TRUE(pin);
    CCrossbarRouter router(pin);
    EXPECT_EQ(InputTypes(router), (std::vector<LONG>{PhysConn_Video_Tuner, PhysConn_Video_Composite,
                                                     PhysConn_Video_SVideo}));
    const auto& tuner = router.Route(0);
    ASSERT_EQ(tuner.size(), 2u);
    EXPECT_EQ(tuner[0].depth, 1);
    EXPECT_EQ(tuner[1].depth, 0);
    EXPECT_EQ(tuner[0].right, &tuner[1]);
    EXPECT_EQ(tuner[1].left, &tuner[0]);
    EXPECT_FALSE(tuner[0].left);
    EXPECT_FALSE(tuner[1].right);
    EXPECT_EQ(router.Route(2).size(), 1u);

    // Switching to the outer crossbar's Composite routes both crossbars along the route.
    const auto outer = router.Route(1)[0].crossbar;
    const auto inner = router.Route(1)[1].crossbar;
    inner->Route(0, 1);
    EXPECT_EQ(router.SetInputIndex(1), S_OK);
    long from = -1;
    outer->get_IsRoutedTo(0, &from);
    EXPECT_EQ(from, 1);
    inner->get_IsRoutedTo(0, &from);
    EXPECT_EQ(from, 0);
    LONG index = -1;
    router.GetInputIndex(&index);
    EXPECT_EQ(index, 1);
}

TEST_F(CrossbarRouterTest, AnInputWithoutACrossbarGivesNoRoutes) {
    auto lone = CrossbarFilter::Create({PhysConn_Video_Composite}, {PhysConn_Video_VideoDecoder});
    CCrossbarRouter router(lone->InputPin(0));
    LONG count = -1;
    EXPECT_EQ(router.GetInputCount(&count), S_OK);
    EXPECT_EQ(count, 0);
}

TEST(CrossbarRouterNames, PhysicalTypesHaveTheirNamesAndOthersAreUnknown) {
    EXPECT_EQ(std::u16string(CCrossbarRouter::PhysicalTypeName(PhysConn_Video_Tuner)),
              u"Video Tuner");
    EXPECT_EQ(std::u16string(CCrossbarRouter::PhysicalTypeName(PhysConn_Video_VideoDecoder)),
              u"Video Decoder");
    EXPECT_EQ(std::u16string(CCrossbarRouter::PhysicalTypeName(PhysConn_Audio_USB)), u"Audio USB");
    EXPECT_EQ(std::u16string(CCrossbarRouter::PhysicalTypeName(14)), u"Unknown");
    EXPECT_EQ(std::u16string(CCrossbarRouter::PhysicalTypeName(0)), u"Unknown");
}

} // namespace
