#pragma once
// The UI Automation client interfaces that MinGW's headers lack, declared in
// the Windows SDK's vtable order (tests/tools/check_com_vtables.py compares
// the order with Wine's header and the text-interface list). Slots Tessel
// never calls keep their place with loosely typed parameters: UI Automation
// types that are not declared here become void*, enumerations and ids int.
#include <windows.h>
#include <oleauto.h>
#include <unknwn.h>

namespace tessel::uia {

// The identifiers are defined here rather than taken from import libraries:
// MinGW's static link can resolve such GUIDs to an import thunk.
// CLSID_CUIAutomation {ff48dba4-60ef-4201-aa87-54103eef594e}
inline constexpr GUID kClsidCUIAutomation = {
    0xff48dba4, 0x60ef, 0x4201, {0xaa, 0x87, 0x54, 0x10, 0x3e, 0xef, 0x59, 0x4e}};
// CLSID_CUIAutomation8 {e22ad333-b25f-460c-83d0-0581107395c9}: Windows 8 and
// later; the only class whose object answers for IUIAutomation2.
inline constexpr GUID kClsidCUIAutomation8 = {
    0xe22ad333, 0xb25f, 0x460c, {0x83, 0xd0, 0x05, 0x81, 0x10, 0x73, 0x95, 0xc9}};
inline constexpr GUID kIidIUIAutomation = {
    0x30cbe57d, 0xd9d0, 0x452a, {0xab, 0x13, 0x7a, 0xc5, 0xac, 0x48, 0x25, 0xee}};
inline constexpr GUID kIidIUIAutomation2 = {
    0x34723aff, 0x0c9d, 0x49d0, {0x98, 0x96, 0x7a, 0xb5, 0x2d, 0xf8, 0xcd, 0x8a}};
inline constexpr GUID kIidIUIAutomationElement = {
    0xd22108aa, 0x8ac5, 0x49a5, {0x83, 0x7b, 0x37, 0xbb, 0xb3, 0xd7, 0x59, 0x1e}};
inline constexpr GUID kIidIUIAutomationTreeWalker = {
    0x4042c624, 0x389c, 0x4afc, {0xa6, 0x30, 0x9d, 0xf8, 0x54, 0xa5, 0x41, 0xfc}};
inline constexpr GUID kIidIUIAutomationTextPattern = {
    0x32eba289, 0x3583, 0x42c9, {0x9c, 0x59, 0x3b, 0x6d, 0x9a, 0x1e, 0x9b, 0x6a}};
inline constexpr GUID kIidIUIAutomationTextPattern2 = {
    0x506a921a, 0xfcc9, 0x409f, {0xb2, 0x3b, 0x37, 0xeb, 0x74, 0x10, 0x68, 0x72}};
inline constexpr GUID kIidIUIAutomationTextEditPattern = {
    0x17e21576, 0x996c, 0x4870, {0x99, 0xd9, 0xbf, 0xf3, 0x23, 0x38, 0x0c, 0x06}};
inline constexpr GUID kIidIUIAutomationTextRange = {
    0xa543cc6a, 0xf4ae, 0x494b, {0x82, 0x39, 0xc8, 0x14, 0x48, 0x11, 0x87, 0xa8}};
inline constexpr GUID kIidIUIAutomationTextRangeArray = {
    0xce4ae76a, 0xe717, 0x4c98, {0x81, 0xea, 0x47, 0x37, 0x1d, 0x02, 0x8e, 0xb6}};

// TextPatternRangeEndpoint and TextUnit are 32-bit enumerations.
using TextPatternRangeEndpoint = int;
using TextUnit = int;

struct IUIAutomationElement;
struct IUIAutomationTreeWalker;
struct IUIAutomationTextRange;
struct IUIAutomationTextRangeArray;

struct IUIAutomation : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE CompareElements(IUIAutomationElement* el1, IUIAutomationElement* el2,
                                                      BOOL* areSame) = 0;
    virtual HRESULT STDMETHODCALLTYPE CompareRuntimeIds(SAFEARRAY* runtimeId1, SAFEARRAY* runtimeId2,
                                                        BOOL* areSame) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRootElement(IUIAutomationElement** root) = 0;
    virtual HRESULT STDMETHODCALLTYPE ElementFromHandle(HWND hwnd, IUIAutomationElement** element) = 0;
    virtual HRESULT STDMETHODCALLTYPE ElementFromPoint(POINT pt, IUIAutomationElement** element) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFocusedElement(IUIAutomationElement** element) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRootElementBuildCache(void* cacheRequest, IUIAutomationElement** root) = 0;
    virtual HRESULT STDMETHODCALLTYPE ElementFromHandleBuildCache(HWND hwnd, void* cacheRequest,
                                                                  IUIAutomationElement** element) = 0;
    virtual HRESULT STDMETHODCALLTYPE ElementFromPointBuildCache(POINT pt, void* cacheRequest,
                                                                 IUIAutomationElement** element) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFocusedElementBuildCache(void* cacheRequest,
                                                                  IUIAutomationElement** element) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateTreeWalker(void* pCondition, IUIAutomationTreeWalker** walker) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ControlViewWalker(IUIAutomationTreeWalker** walker) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ContentViewWalker(IUIAutomationTreeWalker** walker) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_RawViewWalker(IUIAutomationTreeWalker** walker) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_RawViewCondition(void** condition) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ControlViewCondition(void** condition) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ContentViewCondition(void** condition) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateCacheRequest(void** cacheRequest) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateTrueCondition(void** newCondition) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateFalseCondition(void** newCondition) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreatePropertyCondition(int propertyId, VARIANT value, void** newCondition) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreatePropertyConditionEx(int propertyId, VARIANT value, int flags,
                                                                void** newCondition) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateAndCondition(void* condition1, void* condition2, void** newCondition) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateAndConditionFromArray(SAFEARRAY* conditions, void** newCondition) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateAndConditionFromNativeArray(void** conditions, int conditionCount,
                                                                        void** newCondition) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateOrCondition(void* condition1, void* condition2, void** newCondition) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateOrConditionFromArray(SAFEARRAY* conditions, void** newCondition) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateOrConditionFromNativeArray(void** conditions, int conditionCount,
                                                                       void** newCondition) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateNotCondition(void* condition, void** newCondition) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddAutomationEventHandler(int eventId, IUIAutomationElement* element, int scope,
                                                                void* cacheRequest, void* handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveAutomationEventHandler(int eventId, IUIAutomationElement* element,
                                                                   void* handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddPropertyChangedEventHandlerNativeArray(IUIAutomationElement* element,
                                                                                int scope, void* cacheRequest,
                                                                                void* handler, void* propertyArray,
                                                                                int propertyCount) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddPropertyChangedEventHandler(IUIAutomationElement* element, int scope,
                                                                     void* cacheRequest, void* handler,
                                                                     SAFEARRAY* propertyArray) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemovePropertyChangedEventHandler(IUIAutomationElement* element,
                                                                        void* handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddStructureChangedEventHandler(IUIAutomationElement* element, int scope,
                                                                      void* cacheRequest, void* handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveStructureChangedEventHandler(IUIAutomationElement* element,
                                                                         void* handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddFocusChangedEventHandler(void* cacheRequest, void* handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveFocusChangedEventHandler(void* handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveAllEventHandlers() = 0;
    virtual HRESULT STDMETHODCALLTYPE IntNativeArrayToSafeArray(int* array, int arrayCount, SAFEARRAY** safeArray) = 0;
    virtual HRESULT STDMETHODCALLTYPE IntSafeArrayToNativeArray(SAFEARRAY* intArray, void** array, int* arrayCount) = 0;
    virtual HRESULT STDMETHODCALLTYPE RectToVariant(RECT rc, VARIANT* var) = 0;
    virtual HRESULT STDMETHODCALLTYPE VariantToRect(VARIANT var, RECT* rc) = 0;
    virtual HRESULT STDMETHODCALLTYPE SafeArrayToRectNativeArray(SAFEARRAY* rects, void** rectArray,
                                                                 int* rectArrayCount) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateProxyFactoryEntry(void* factory, void** factoryEntry) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ProxyFactoryMapping(void** factoryMapping) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPropertyProgrammaticName(int property, BSTR* name) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPatternProgrammaticName(int pattern, BSTR* name) = 0;
    virtual HRESULT STDMETHODCALLTYPE PollForPotentialSupportedPatterns(IUIAutomationElement* pElement,
                                                                        SAFEARRAY** patternIds,
                                                                        SAFEARRAY** patternNames) = 0;
    virtual HRESULT STDMETHODCALLTYPE PollForPotentialSupportedProperties(IUIAutomationElement* pElement,
                                                                          SAFEARRAY** propertyIds,
                                                                          SAFEARRAY** propertyNames) = 0;
    virtual HRESULT STDMETHODCALLTYPE CheckNotSupported(VARIANT value, BOOL* isNotSupported) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ReservedNotSupportedValue(IUnknown** notSupportedValue) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ReservedMixedAttributeValue(IUnknown** mixedAttributeValue) = 0;
    virtual HRESULT STDMETHODCALLTYPE ElementFromIAccessible(void* accessible, int childId,
                                                             IUIAutomationElement** element) = 0;
    virtual HRESULT STDMETHODCALLTYPE ElementFromIAccessibleBuildCache(void* accessible, int childId,
                                                                       void* cacheRequest,
                                                                       IUIAutomationElement** element) = 0;
};

// Adds the time-outs for providers that stop answering.
struct IUIAutomation2 : public IUIAutomation {
    virtual HRESULT STDMETHODCALLTYPE get_AutoSetFocus(BOOL* autoSetFocus) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AutoSetFocus(BOOL autoSetFocus) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ConnectionTimeout(DWORD* timeout) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ConnectionTimeout(DWORD timeout) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_TransactionTimeout(DWORD* timeout) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_TransactionTimeout(DWORD timeout) = 0;
};

// Declared up to GetCurrentPatternAs, the last method Tessel calls.
struct IUIAutomationElement : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetFocus() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRuntimeId(SAFEARRAY** runtimeId) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindFirst(int scope, void* condition, IUIAutomationElement** found) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindAll(int scope, void* condition, void** found) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindFirstBuildCache(int scope, void* condition, void* cacheRequest,
                                                          IUIAutomationElement** found) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindAllBuildCache(int scope, void* condition, void* cacheRequest,
                                                        void** found) = 0;
    virtual HRESULT STDMETHODCALLTYPE BuildUpdatedCache(void* cacheRequest, IUIAutomationElement** updatedElement) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCurrentPropertyValue(int propertyId, VARIANT* retVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCurrentPropertyValueEx(int propertyId, BOOL ignoreDefaultValue,
                                                                VARIANT* retVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCachedPropertyValue(int propertyId, VARIANT* retVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCachedPropertyValueEx(int propertyId, BOOL ignoreDefaultValue,
                                                               VARIANT* retVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCurrentPatternAs(int patternId, REFIID riid, void** patternObject) = 0;
};

struct IUIAutomationTreeWalker : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetParentElement(IUIAutomationElement* element,
                                                       IUIAutomationElement** parent) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFirstChildElement(IUIAutomationElement* element,
                                                           IUIAutomationElement** first) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetLastChildElement(IUIAutomationElement* element,
                                                          IUIAutomationElement** last) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetNextSiblingElement(IUIAutomationElement* element,
                                                            IUIAutomationElement** next) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPreviousSiblingElement(IUIAutomationElement* element,
                                                                IUIAutomationElement** previous) = 0;
    virtual HRESULT STDMETHODCALLTYPE NormalizeElement(IUIAutomationElement* element,
                                                       IUIAutomationElement** normalized) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetParentElementBuildCache(IUIAutomationElement* element, void* cacheRequest,
                                                                 IUIAutomationElement** parent) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFirstChildElementBuildCache(IUIAutomationElement* element, void* cacheRequest,
                                                                     IUIAutomationElement** first) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetLastChildElementBuildCache(IUIAutomationElement* element, void* cacheRequest,
                                                                    IUIAutomationElement** last) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetNextSiblingElementBuildCache(IUIAutomationElement* element, void* cacheRequest,
                                                                      IUIAutomationElement** next) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPreviousSiblingElementBuildCache(IUIAutomationElement* element,
                                                                          void* cacheRequest,
                                                                          IUIAutomationElement** previous) = 0;
    virtual HRESULT STDMETHODCALLTYPE NormalizeElementBuildCache(IUIAutomationElement* element, void* cacheRequest,
                                                                 IUIAutomationElement** normalized) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Condition(void** condition) = 0;
};

struct IUIAutomationTextRange : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Clone(IUIAutomationTextRange** clonedRange) = 0;
    virtual HRESULT STDMETHODCALLTYPE Compare(IUIAutomationTextRange* range, BOOL* areSame) = 0;
    virtual HRESULT STDMETHODCALLTYPE CompareEndpoints(TextPatternRangeEndpoint srcEndPoint,
                                                       IUIAutomationTextRange* range,
                                                       TextPatternRangeEndpoint targetEndPoint, int* compValue) = 0;
    virtual HRESULT STDMETHODCALLTYPE ExpandToEnclosingUnit(TextUnit textUnit) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindAttribute(int attr, VARIANT val, BOOL backward,
                                                    IUIAutomationTextRange** found) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindText(BSTR text, BOOL backward, BOOL ignoreCase,
                                               IUIAutomationTextRange** found) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAttributeValue(int attr, VARIANT* value) = 0;
    // Left, top, width and height of each line, as doubles.
    virtual HRESULT STDMETHODCALLTYPE GetBoundingRectangles(SAFEARRAY** boundingRects) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetEnclosingElement(IUIAutomationElement** enclosingElement) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetText(int maxLength, BSTR* text) = 0;
    virtual HRESULT STDMETHODCALLTYPE Move(TextUnit unit, int count, int* moved) = 0;
    virtual HRESULT STDMETHODCALLTYPE MoveEndpointByUnit(TextPatternRangeEndpoint endpoint, TextUnit unit, int count,
                                                         int* moved) = 0;
    virtual HRESULT STDMETHODCALLTYPE MoveEndpointByRange(TextPatternRangeEndpoint srcEndPoint,
                                                          IUIAutomationTextRange* range,
                                                          TextPatternRangeEndpoint targetEndPoint) = 0;
    virtual HRESULT STDMETHODCALLTYPE Select() = 0;
    virtual HRESULT STDMETHODCALLTYPE AddToSelection() = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveFromSelection() = 0;
    virtual HRESULT STDMETHODCALLTYPE ScrollIntoView(BOOL alignToTop) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetChildren(void** children) = 0;
};

struct IUIAutomationTextRangeArray : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_Length(int* length) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetElement(int index, IUIAutomationTextRange** element) = 0;
};

struct IUIAutomationTextPattern : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE RangeFromPoint(POINT pt, IUIAutomationTextRange** range) = 0;
    virtual HRESULT STDMETHODCALLTYPE RangeFromChild(IUIAutomationElement* child, IUIAutomationTextRange** range) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSelection(IUIAutomationTextRangeArray** ranges) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetVisibleRanges(IUIAutomationTextRangeArray** ranges) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DocumentRange(IUIAutomationTextRange** range) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_SupportedTextSelection(int* supportedTextSelection) = 0;
};

struct IUIAutomationTextPattern2 : public IUIAutomationTextPattern {
    virtual HRESULT STDMETHODCALLTYPE RangeFromAnnotation(IUIAutomationElement* annotation,
                                                          IUIAutomationTextRange** range) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCaretRange(BOOL* isActive, IUIAutomationTextRange** range) = 0;
};

struct IUIAutomationTextEditPattern : public IUIAutomationTextPattern {
    virtual HRESULT STDMETHODCALLTYPE GetActiveComposition(IUIAutomationTextRange** range) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetConversionTarget(IUIAutomationTextRange** range) = 0;
};

}  // namespace tessel::uia
