// The platform library as the main program reaches it: the library is loaded from
// "dll/libyel.so" beside the program, and each export is bound by name on its first use.
// Call the exports through this namespace: yel::YelInit(&param).
#pragma once

#include <atomic>
#include <string>
#include <utility>

#include "YEL/yel.h"

namespace yel {

// Loads the library beside the program; false (after the "DLL NOT FOUND" box) when it cannot.
bool LoadLibrary();
// Loads the library from a path of its own (tests that run the engine in-process).
bool LoadLibraryFrom(const std::string& path);
// The address of an export; a missing one ends the program with its name in a box.
void* BindExport(const char* name);

template <typename Fn>
class Import {
 public:
  constexpr explicit Import(const char* name) : name_(name) {}

  template <typename... Args>
  decltype(auto) operator()(Args&&... args) const {
    return Bound()(std::forward<Args>(args)...);
  }

 private:
  Fn* Bound() const {
    Fn* fn = fn_.load(std::memory_order_acquire);
    if (!fn) {
      fn = reinterpret_cast<Fn*>(BindExport(name_));
      fn_.store(fn, std::memory_order_release);
    }
    return fn;
  }

  const char* name_;
  mutable std::atomic<Fn*> fn_{nullptr};
};

// The printf-format checks of the declarations do not carry over to the bound pointers.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wignored-attributes"
#define YEL_IMPORT(name) inline Import<decltype(::name)> name{#name}

YEL_IMPORT(YelDefaultCreate);
YEL_IMPORT(YelInit);
YEL_IMPORT(YelRun);
YEL_IMPORT(YelEnd);
YEL_IMPORT(YelUninit);
YEL_IMPORT(YelAttachProcess);
YEL_IMPORT(YelAttachWorkProcess);
YEL_IMPORT(YelIsWorkThreadId);
YEL_IMPORT(YelFrameRateSet);
YEL_IMPORT(YelGetSystemParameters);
YEL_IMPORT(IsMovie);
YEL_IMPORT(IsSystemEnd);
YEL_IMPORT(YelCheckWindowMode);
YEL_IMPORT(YelDebugIs);
YEL_IMPORT(YelGetFilePath);
YEL_IMPORT(Yel3DIs);
YEL_IMPORT(YelGetTextureCaps);
YEL_IMPORT(YelDisableChangeWindowMode);
YEL_IMPORT(YelSetDesktopRect);
YEL_IMPORT(YelGetDesktopRect);
YEL_IMPORT(YelWindowGetPosCenter);
YEL_IMPORT(YelWindowChangeMode);
YEL_IMPORT(GetMinWindowSize);
YEL_IMPORT(YelTaskCreate);
YEL_IMPORT(YelTaskFree);
YEL_IMPORT(YelTaskChangeNext);
YEL_IMPORT(YelTaskGetTaskData);
YEL_IMPORT(YelTaskSetTaskData);
YEL_IMPORT(YelMemoryAlloc);
YEL_IMPORT(YelMemoryFree);
YEL_IMPORT(YelListCreate);
YEL_IMPORT(YelListRelease);
YEL_IMPORT(YelListPush);
YEL_IMPORT(YelListPushLast);
YEL_IMPORT(YelListPopFirst);
YEL_IMPORT(YelListPop);
YEL_IMPORT(YelListDelete);
YEL_IMPORT(YelListGetData);
YEL_IMPORT(YelListGetDataCount);
YEL_IMPORT(YelRandom);
YEL_IMPORT(YelRandomEx);
YEL_IMPORT(YeltimeGetTime);
YEL_IMPORT(YelUpdateTime);
YEL_IMPORT(YelDebugPrintf);
YEL_IMPORT(YelErrorLogPrintf);
YEL_IMPORT(YelSystemPathInit);
YEL_IMPORT(YelSystemPathSet);
YEL_IMPORT(YelSystemPathUninit);
YEL_IMPORT(YelFileCreate);
YEL_IMPORT(YelFileSeek);
YEL_IMPORT(YelFileRead);
YEL_IMPORT(YelFileGetSize);
YEL_IMPORT(YelFileClose);
YEL_IMPORT(YelEffectIs);
YEL_IMPORT(YelEffectEnable);
YEL_IMPORT(YelEffectEnableIs);
YEL_IMPORT(YelGetWindowHandle);
YEL_IMPORT(YelGetAllocCount);
YEL_IMPORT(YelGetChangeWindowModeTime);
YEL_IMPORT(YelTouchEnable);
YEL_IMPORT(YelTouchMode);
YEL_IMPORT(YelIsTouchMode);
YEL_IMPORT(YelIsTouch);
YEL_IMPORT(YelSetGesture);
YEL_IMPORT(YelSetPow);
YEL_IMPORT(YelInputClear);
YEL_IMPORT(YelCursorSetAutoHideTime);
YEL_IMPORT(YelRenderInit);
YEL_IMPORT(YelRenderUninit);
YEL_IMPORT(YelRenderSetActive);
YEL_IMPORT(YelRenderLockEnter);
YEL_IMPORT(YelRenderLockLeave);
YEL_IMPORT(YelInputGetKeyEx);
YEL_IMPORT(YelInputGetKeyPush);
YEL_IMPORT(YelInputGetKeyOn);
YEL_IMPORT(YelInputGetKeyPull);
YEL_IMPORT(YelInputGetWheel);
YEL_IMPORT(YelRenderGetActive);
YEL_IMPORT(YelGetlpPool);
YEL_IMPORT(GetMemoryPool);
YEL_IMPORT(YelSpriteCreate);
YEL_IMPORT(YelSpriteLoad);
YEL_IMPORT(YelSpriteInfoCreate);
YEL_IMPORT(YelSpriteRelease);
YEL_IMPORT(YelSpriteGetInfo);
YEL_IMPORT(YelSpriteSetInfo);
YEL_IMPORT(YelSpriteGetWidth);
YEL_IMPORT(YelSpriteGetHeight);
YEL_IMPORT(YelSpriteViewCtrl);
YEL_IMPORT(YelSpriteViewIs);
YEL_IMPORT(YelSpriteSetColor);
YEL_IMPORT(YelSpriteSetPos);
YEL_IMPORT(YelSpriteRectSetPos);
YEL_IMPORT(YelThumbnailCreate);
YEL_IMPORT(YelThumbnailCreateMosaic);
YEL_IMPORT(YelThumbnailCreateEx);
YEL_IMPORT(YelThumbnailCreateMosaicEx);
YEL_IMPORT(YelSpriteMovePos);
YEL_IMPORT(YelSpriteSetScale);
YEL_IMPORT(YelSpriteSetRotateEx);
YEL_IMPORT(YelSpriteSetRotateExFloat);
YEL_IMPORT(YelSpriteSetCenterOffset);
YEL_IMPORT(YelSpriteSetRect);
YEL_IMPORT(YelSpriteSetRenderMode);
YEL_IMPORT(YelSpriteConvertAspectPosition);
YEL_IMPORT(YelSpriteChangePriority);
YEL_IMPORT(YelSpriteGetForeground);
YEL_IMPORT(YelSpriteBackBafferCopy);
YEL_IMPORT(YelSpritePaint);
YEL_IMPORT(YelGetPixel);
YEL_IMPORT(YelSpriteSaveTextureToFile);
YEL_IMPORT(YelSpriteSaveTextureToPngFile);
YEL_IMPORT(YelSpriteSaveTextureToPng24File);
YEL_IMPORT(YelSpriteLoadTextureToFile);
YEL_IMPORT(YelDebugWindowCreate);
YEL_IMPORT(YelDebugWindowToggleControl);
YEL_IMPORT(YelDebugWindowGetState);
YEL_IMPORT(YelDebugWindowSetState);
YEL_IMPORT(YelDebugSetData);
YEL_IMPORT(YelDebugSetEBP);
YEL_IMPORT(YelDebugSetESP);
YEL_IMPORT(YelEndUpdate);
YEL_IMPORT(YelGetWindowSize);
YEL_IMPORT(YelWindowGetPos);
YEL_IMPORT(YelFontGetType);
YEL_IMPORT(YelSpriteSetBuffer);
YEL_IMPORT(YelSpriteGetRect);
YEL_IMPORT(YelSpriteSetOption);
YEL_IMPORT(YelEffectEx);
YEL_IMPORT(YelSpriteLock);
YEL_IMPORT(YelSpriteUnlock);
YEL_IMPORT(YelSpriteSetOffsetRect);
YEL_IMPORT(YelFontBegin);
YEL_IMPORT(YelFontEnd);
YEL_IMPORT(YelFontDrawText);
YEL_IMPORT(YelFontGetSize);
YEL_IMPORT(YelDrawTextStepX);
YEL_IMPORT(YelFontGetDrawTextRect);
YEL_IMPORT(YelFontHasDrawTextRect);
YEL_IMPORT(YelFontSetColor);
YEL_IMPORT(YelFontGetColor);
YEL_IMPORT(YelFontSetEffect);
YEL_IMPORT(YelFontGetEffect);
YEL_IMPORT(YelFontSetFontSize);
YEL_IMPORT(YelFontGetFontSize);
YEL_IMPORT(YelFontSetType);
YEL_IMPORT(YelFontLoad);
YEL_IMPORT(YelAnimation);
YEL_IMPORT(YelAnimationReset);
YEL_IMPORT(YelAnimationSetTime);
YEL_IMPORT(YelAnimationRelease);
YEL_IMPORT(YelInputSetKeyPush);
YEL_IMPORT(YelSpriteCreateTransitionHandle);
YEL_IMPORT(YelSpriteSetTransition);
YEL_IMPORT(YelSpriteGetTransitionState);
YEL_IMPORT(YelSpriteCancelTransition);
YEL_IMPORT(YelSpriteReleaseTransitionHandle);
YEL_IMPORT(YelSetFxEffect);
YEL_IMPORT(YelGetFxEffectState);
YEL_IMPORT(YelReleaseFxEffect);
YEL_IMPORT(YelSoundLoad);
YEL_IMPORT(YelSoundLoadEx);
YEL_IMPORT(YelSoundLoadSetReserved);
YEL_IMPORT(YelSoundPlay);
YEL_IMPORT(YelSoundPlayFade);
YEL_IMPORT(YelSoundStop);
YEL_IMPORT(YelSoundStopFade);
YEL_IMPORT(YelSoundRelease);
YEL_IMPORT(YelSoundSetPrimaryVolume);
YEL_IMPORT(YelSoundSetVolume);
YEL_IMPORT(YelSoundGetVolumeChannel);
YEL_IMPORT(YelSoundPlayIs);
YEL_IMPORT(YelSetVoiceSpeed);
YEL_IMPORT(YelGetVoiceSpeed);
YEL_IMPORT(YelCursorSetPos);
YEL_IMPORT(YelSpriteHit);
YEL_IMPORT(YelSpriteCreateText);
YEL_IMPORT(YelInputGetMouseX);
YEL_IMPORT(YelInputGetMouseY);
YEL_IMPORT(YelButtonCreateEx);
YEL_IMPORT(YelButtonRelease);
YEL_IMPORT(YelButtonEntry);
YEL_IMPORT(YelButtonEntryEx);
YEL_IMPORT(YelButtonDelete);
YEL_IMPORT(YelButtonCtrl);
YEL_IMPORT(YelButtonSetPos);
YEL_IMPORT(YelButtonHitTest);
YEL_IMPORT(YelButtonGetReaction);
YEL_IMPORT(YelButtonSetReaction);
YEL_IMPORT(YelButtonReset);
YEL_IMPORT(YelButtonMode);
YEL_IMPORT(YelCopySpriteToSpriteRGB);
YEL_IMPORT(YelSoundSetVolumeChannel);
YEL_IMPORT(YelSoundPause);
YEL_IMPORT(YelSoundReleaseEx);
YEL_IMPORT(YelSoundSetReserved);
YEL_IMPORT(YelSoundGetState);
YEL_IMPORT(YelSoundGetChannelCount);
YEL_IMPORT(YelSoundGetStatus);
YEL_IMPORT(YelSoundGetNowChannel);
YEL_IMPORT(YelSoundGetParam);
YEL_IMPORT(YelSoundGetParamByType);
YEL_IMPORT(YelSoundSetPanChannel);
YEL_IMPORT(YelSoundSetFreq);
YEL_IMPORT(YelSoundGetFreq);
YEL_IMPORT(YelMixSpriteToSprite);
YEL_IMPORT(YelMixSpriteToSpriteEx);
YEL_IMPORT(YelCopySpriteToSpriteChannel);
YEL_IMPORT(YelSpriteMaskAlpha);
YEL_IMPORT(YelSpriteDeleteNoAlpha);
YEL_IMPORT(YelSpriteDeleteNoAlpha255);
YEL_IMPORT(YelBoxBlurFilter);
YEL_IMPORT(YelGaussianBlurFilter);
YEL_IMPORT(YelMotionBlurFilter);
YEL_IMPORT(YelAlphaCopyFilter);
YEL_IMPORT(StretchImage);
YEL_IMPORT(YelSetPixel);
YEL_IMPORT(YelTargetRenderListClear);
YEL_IMPORT(YelTargetRenderListAdd);
YEL_IMPORT(YelTargetRenderListDraw);
YEL_IMPORT(YelSpriteCreateTextEx);
YEL_IMPORT(YelSpriteSetOffsetPos);
YEL_IMPORT(YelSpriteCopy);
YEL_IMPORT(YelSpriteGetFxEffectState);
YEL_IMPORT(YelMSpriteLoad);
YEL_IMPORT(YelMSpriteInfoCreate);
YEL_IMPORT(YelMSpritePlay);
YEL_IMPORT(YelMSpriteStop);
YEL_IMPORT(YelMSpriteSetLoop);
YEL_IMPORT(YelMSpriteSetLoopPoint);
YEL_IMPORT(YelMSpriteGetState);
YEL_IMPORT(YelMSpriteCheck);
YEL_IMPORT(YelMSpriteIsLoop);
YEL_IMPORT(YelMSpriteLock);
YEL_IMPORT(YelMSpriteUnlock);
YEL_IMPORT(YelMSpriteSetVolumeEx);
YEL_IMPORT(YelVideoPlay);
YEL_IMPORT(YelSetVideoVolumeType);
YEL_IMPORT(YelInputGetKeyOnEx);
YEL_IMPORT(YelSpriteReleaseArray);
YEL_IMPORT(YelChangeWindowSize);
YEL_IMPORT(YelChangeAspectMode);
YEL_IMPORT(YelCheckAspectMode);
YEL_IMPORT(YelWindowChangeEnable);
YEL_IMPORT(YelWindowChangeEnableIs);
YEL_IMPORT(IsActive);
YEL_IMPORT(YelSystemPathClear);
YEL_IMPORT(YelSetCursor);
YEL_IMPORT(YelInputKeyRepeatClear);
YEL_IMPORT(YelInputGetAsyncKey);
YEL_IMPORT(YelFontUnload);
YEL_IMPORT(YelExFontLoad);
YEL_IMPORT(YelExFontUnload);
YEL_IMPORT(YelButtonGetHitSprite);
YEL_IMPORT(YelButtonIsProcessing);
YEL_IMPORT(YelInputSetKeyOn);
YEL_IMPORT(YelInputSetKeyPull);
YEL_IMPORT(YelAnimationGetTime);
YEL_IMPORT(YelTaskChangeNextImm);
YEL_IMPORT(YelInputKeyCancel);

#undef YEL_IMPORT
#pragma GCC diagnostic pop

}  // namespace yel
