// Software raster: GDI objects and device contexts: creation, selection, deletion and the
// counters the leak tests read. Like GDI, an object that is still selected into a device
// context cannot be deleted, and stock objects are never deleted.

#include <cstring>
#include <mutex>
#include <unordered_set>

#include "graphics/platform/raster/RasterState.h"

namespace platform {
namespace raster {
namespace {

raster::ObjectCounts counts = {};
bool creationFails = false;
std::unordered_set<const void*>& liveObjects() {
    static std::unordered_set<const void*> set;
    return set;
}
std::unordered_set<const void*>& liveContexts() {
    static std::unordered_set<const void*> set;
    return set;
}
// Effects are created and destroyed on several threads at once (a host's, or a batch
// renderer's workers), each making its bitmaps: the registries are shared by all, and an entry
// lost to a race would leave its object undeletable.
std::mutex& registryLock() {
    static std::mutex lock;
    return lock;
}
void track(std::unordered_set<const void*>& registry, const void* entry) {
    std::lock_guard<std::mutex> hold(registryLock());
    registry.insert(entry);
}
void untrack(std::unordered_set<const void*>& registry, const void* entry) {
    std::lock_guard<std::mutex> hold(registryLock());
    registry.erase(entry);
}
bool isTracked(std::unordered_set<const void*>& registry, const void* entry) {
    std::lock_guard<std::mutex> hold(registryLock());
    return registry.count(entry) != 0;
}

struct StockObjects {
    BrushObject whiteBrush{LogBrushRec{kBsSolid, 0xFFFFFF, 0}, true};
    BrushObject blackBrush{LogBrushRec{kBsSolid, 0x000000, 0}, true};
    BrushObject nullBrush{LogBrushRec{kBsNull, 0, 0}, true};
    PenObject whitePen{LogPenRec{kPsSolid, {1, 0}, 0xFFFFFF}, true};
    PenObject blackPen{LogPenRec{kPsSolid, {1, 0}, 0x000000}, true};
    PenObject nullPen{LogPenRec{kPsNull, {1, 0}, 0}, true};
    FontObject systemFont{makeSystemFont(), true};
    BitmapObject oneByOne{1, 1, 1, true};

    static LogFontRec makeSystemFont() {
        LogFontRec font;
        std::memset(&font, 0, sizeof font);
        font.lfHeight = 16;
        font.lfWeight = kFwBold;
        std::strcpy(font.lfFaceName, "System");
        return font;
    }

    StockObjects() {
        for (Object* each :
             std::initializer_list<Object*>{&whiteBrush, &blackBrush, &nullBrush, &whitePen,
                                            &blackPen, &nullPen, &systemFont, &oneByOne})
            track(liveObjects(), each);
    }
};

StockObjects& stock() {
    static StockObjects objects;
    return objects;
}

void countCreation(Kind kind, long delta, bool deletion) {
    long raster::ObjectCounts::*field = nullptr;
    switch (kind) {
        case Kind::Pen:
            field =
                deletion ? &raster::ObjectCounts::pensDeleted : &raster::ObjectCounts::pensCreated;
            break;
        case Kind::Brush:
            field = deletion ? &raster::ObjectCounts::brushesDeleted
                             : &raster::ObjectCounts::brushesCreated;
            break;
        case Kind::Font:
            field = deletion ? &raster::ObjectCounts::fontsDeleted
                             : &raster::ObjectCounts::fontsCreated;
            break;
        case Kind::Bitmap:
            field = deletion ? &raster::ObjectCounts::bitmapsDeleted
                             : &raster::ObjectCounts::bitmapsCreated;
            break;
    }
    counts.*field += delta;
}

template <typename T>
void reselect(T*& slot, T* replacement) {
    if (slot) slot->selections--;
    slot = replacement;
    if (slot) slot->selections++;
}

}  // namespace

Object* object(HGdiObj handle) {
    stock();
    Object* candidate = reinterpret_cast<Object*>(handle);
    return isTracked(liveObjects(), candidate) ? candidate : nullptr;
}

DeviceContext* context(HDc handle) {
    DeviceContext* candidate = reinterpret_cast<DeviceContext*>(handle);
    return isTracked(liveContexts(), candidate) ? candidate : nullptr;
}

BitmapObject* bitmap(HGdiObj handle) {
    Object* found = object(handle);
    return found && found->kind == Kind::Bitmap ? static_cast<BitmapObject*>(found) : nullptr;
}

BitmapObject* defaultBitmap() { return &stock().oneByOne; }

HGdiObj adopt(Object* created) {
    track(liveObjects(), created);
    countCreation(created->kind, 1, false);
    return reinterpret_cast<HGdiObj>(created);
}

}  // namespace raster

using namespace raster;

HDc CreateCompatibleDC(HDc) {
    StockObjects& objects = stock();
    DeviceContext* created = new DeviceContext;
    created->bitmap = nullptr;
    created->pen = nullptr;
    created->brush = nullptr;
    created->font = nullptr;
    reselect(created->bitmap, &objects.oneByOne);
    reselect(created->pen, &objects.blackPen);
    reselect(created->brush, &objects.whiteBrush);
    reselect(created->font, &objects.systemFont);
    track(liveContexts(), created);
    counts.dcsCreated++;
    return reinterpret_cast<HDc>(created);
}

int DeleteDC(HDc handle) {
    DeviceContext* dc = context(handle);
    if (!dc) return 0;
    reselect(dc->bitmap, static_cast<BitmapObject*>(nullptr));
    reselect(dc->pen, static_cast<PenObject*>(nullptr));
    reselect(dc->brush, static_cast<BrushObject*>(nullptr));
    reselect(dc->font, static_cast<FontObject*>(nullptr));
    untrack(liveContexts(), dc);
    delete dc;
    counts.dcsDeleted++;
    return 1;
}

HGdiObj SelectObject(HDc handle, HGdiObj objectHandle) {
    DeviceContext* dc = context(handle);
    Object* selected = object(objectHandle);
    if (!dc || !selected) return nullptr;
    Object* previous = nullptr;
    switch (selected->kind) {
        case Kind::Pen:
            previous = dc->pen;
            reselect(dc->pen, static_cast<PenObject*>(selected));
            break;
        case Kind::Brush:
            previous = dc->brush;
            reselect(dc->brush, static_cast<BrushObject*>(selected));
            break;
        case Kind::Font:
            previous = dc->font;
            reselect(dc->font, static_cast<FontObject*>(selected));
            break;
        case Kind::Bitmap: {
            // A bitmap lives in at most one device context at a time (the stock one excepted).
            BitmapObject* picture = static_cast<BitmapObject*>(selected);
            if (picture == dc->bitmap) return objectHandle;
            if (!picture->stock && picture->selections > 0) return nullptr;
            picture->decodePixels();
            previous = dc->bitmap;
            reselect(dc->bitmap, picture);
            break;
        }
    }
    return reinterpret_cast<HGdiObj>(previous);
}

HGdiObj GetCurrentObject(HDc handle, uint32_t kind) {
    DeviceContext* dc = context(handle);
    if (!dc) return nullptr;
    Object* current = nullptr;
    if (kind == kObjPen) current = dc->pen;
    if (kind == kObjBrush) current = dc->brush;
    if (kind == kObjFont) current = dc->font;
    if (kind == kObjBitmap) current = dc->bitmap;
    return reinterpret_cast<HGdiObj>(current);
}

HGdiObj GetStockObject(int which) {
    StockObjects& objects = stock();
    Object* found = nullptr;
    switch (which) {
        case kWhiteBrush: found = &objects.whiteBrush; break;
        case kBlackBrush: found = &objects.blackBrush; break;
        case kNullBrush: found = &objects.nullBrush; break;
        case kWhitePen: found = &objects.whitePen; break;
        case kBlackPen: found = &objects.blackPen; break;
        case kNullPen: found = &objects.nullPen; break;
        case kSystemFont: found = &objects.systemFont; break;
        default: break;
    }
    return reinterpret_cast<HGdiObj>(found);
}

int DeleteObject(HGdiObj handle) {
    Object* found = object(handle);
    if (!found) return 0;
    if (found->stock) return 1;
    if (found->selections > 0) return 0;
    untrack(liveObjects(), found);
    countCreation(found->kind, 1, true);
    delete found;
    return 1;
}

int GetObjectA(HGdiObj handle, int size, void* out) {
    Object* found = object(handle);
    if (!found) return 0;
    const void* source = nullptr;
    int length = 0;
    BitmapRec bitmapRecord = {};
    switch (found->kind) {
        case Kind::Pen:
            source = &static_cast<PenObject*>(found)->description;
            length = int(sizeof(LogPenRec));
            break;
        case Kind::Brush:
            source = &static_cast<BrushObject*>(found)->description;
            length = int(sizeof(LogBrushRec));
            break;
        case Kind::Font:
            source = &static_cast<FontObject*>(found)->description;
            length = int(sizeof(LogFontRec));
            break;
        case Kind::Bitmap: {
            BitmapObject* picture = static_cast<BitmapObject*>(found);
            bitmapRecord.bmWidth = picture->width;
            bitmapRecord.bmHeight = picture->height;
            bitmapRecord.bmWidthBytes =
                picture->monochrome() ? (picture->width + 15) / 16 * 2 : picture->width * 4;
            bitmapRecord.bmPlanes = 1;
            bitmapRecord.bmBitsPixel = uint16_t(picture->bitsPerPixel);
            source = &bitmapRecord;
            length = int(sizeof(BitmapRec));
            break;
        }
    }
    if (!out) return length;
    if (size < length) return 0;
    std::memcpy(out, source, size_t(length));
    return length;
}

HPen CreatePenIndirect(const LogPenRec* pen) {
    if (!pen || creationFails) return nullptr;
    return static_cast<HPen>(adopt(new PenObject(*pen)));
}

HBrush CreateBrushIndirect(const LogBrushRec* brush) {
    if (!brush || creationFails) return nullptr;
    return static_cast<HBrush>(adopt(new BrushObject(*brush)));
}

HFont CreateFontIndirectA(const LogFontRec* font) {
    if (!font || creationFails) return nullptr;
    FontObject* created = new FontObject(*font);
    created->description.lfFaceName[sizeof created->description.lfFaceName - 1] = 0;
    return static_cast<HFont>(adopt(created));
}

HBitmap CreateBitmap(int width, int height, uint32_t planes, uint32_t bitsPerPixel,
                     const void* bits) {
    if (width < 0 || height < 0 || planes != 1) return nullptr;
    if (bitsPerPixel != 1 && bitsPerPixel != 24 && bitsPerPixel != 32) return nullptr;
    // GDI answers the stock 1 x 1 monochrome bitmap for an empty size.
    if (width == 0 || height == 0) return reinterpret_cast<HBitmap>(defaultBitmap());
    if (int64_t(width) * height > kMaxBitmapPixels) return nullptr;
    BitmapObject* created = new BitmapObject(width, height, bitsPerPixel == 1 ? 1 : 32);
    if (bits) {
        const uint8_t* bytes = static_cast<const uint8_t*>(bits);
        if (bitsPerPixel == 1) {
            const int stride = (width + 15) / 16 * 2;  // monochrome rows are word-aligned
            for (int y = 0; y < height; y++)
                for (int x = 0; x < width; x++) {
                    const bool set = bytes[y * stride + x / 8] & (0x80 >> (x % 8));
                    created->pixels[size_t(y) * width + x] = set ? 0xFFFFFF : 0;
                }
        } else {
            const int bytesPerPixel = int(bitsPerPixel / 8);
            const int stride = (width * bytesPerPixel + 1) / 2 * 2;
            for (int y = 0; y < height; y++)
                for (int x = 0; x < width; x++) {
                    const uint8_t* p = bytes + y * stride + x * bytesPerPixel;  // B, G, R
                    created->pixels[size_t(y) * width + x] =
                        ColorRef(p[2]) | (ColorRef(p[1]) << 8) | (ColorRef(p[0]) << 16);
                }
        }
    }
    return static_cast<HBitmap>(adopt(created));
}

HBitmap CreateCompatibleBitmap(HDc handle, int width, int height) {
    // As in GDI, a memory context that still holds its 1 x 1 default bitmap is monochrome, so
    // a bitmap compatible with it is monochrome too. The screen (null) is colour.
    DeviceContext* dc = context(handle);
    const bool monochrome = dc && dc->bitmap->monochrome();
    return CreateBitmap(width, height, 1, monochrome ? 1 : 32, nullptr);
}

int SetBkMode(HDc handle, int mode) {
    DeviceContext* dc = context(handle);
    if (!dc || (mode != kTransparent && mode != kOpaque)) return 0;
    const int previous = dc->bkMode;
    dc->bkMode = mode;
    return previous;
}

int GetBkMode(HDc handle) {
    DeviceContext* dc = context(handle);
    return dc ? dc->bkMode : 0;
}

ColorRef SetBkColor(HDc handle, ColorRef color) {
    DeviceContext* dc = context(handle);
    if (!dc) return 0xFFFFFFFF;
    const ColorRef previous = dc->bkColor;
    dc->bkColor = color & 0xFFFFFF;
    return previous;
}

ColorRef GetBkColor(HDc handle) {
    DeviceContext* dc = context(handle);
    return dc ? dc->bkColor : 0xFFFFFFFF;
}

ColorRef SetTextColor(HDc handle, ColorRef color) {
    DeviceContext* dc = context(handle);
    if (!dc) return 0xFFFFFFFF;
    const ColorRef previous = dc->textColor;
    dc->textColor = color & 0xFFFFFF;
    return previous;
}

ColorRef GetTextColor(HDc handle) {
    DeviceContext* dc = context(handle);
    return dc ? dc->textColor : 0xFFFFFFFF;
}

HDc createRasterDC(int width, int height) {
    HDc dc = CreateCompatibleDC(nullptr);
    HBitmap surface = CreateBitmap(width, height, 1, 32, nullptr);
    if (!surface) {
        DeleteDC(dc);
        return nullptr;
    }
    SelectObject(dc, surface);
    return dc;
}

void deleteRasterDC(HDc handle) {
    DeviceContext* dc = context(handle);
    if (!dc) return;
    HGdiObj surface = reinterpret_cast<HGdiObj>(dc->bitmap);
    DeleteDC(handle);
    DeleteObject(surface);
}

namespace raster {

ObjectCounts objectCounts() { return raster::counts; }

void failObjectCreation(bool fail) { raster::creationFails = fail; }

bool getLogFont(HGdiObj handle, LogFontRec* out) {
    Object* found = object(handle);
    if (!found || found->kind != Kind::Font || !out) return false;
    *out = static_cast<FontObject*>(found)->description;
    return true;
}

}  // namespace raster
}  // namespace platform
