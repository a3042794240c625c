#include "acad/ResBuf.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "acad/DxfTags.h"

ResValKind acutResValKind(int restype) {
    switch (restype) {
    case RTREAL:
    case RTANG:
    case RTORINT: return ResValKind::Real;
    case RTPOINT:
    case RT3DPOINT: return ResValKind::Point;
    case RTSHORT: return ResValKind::Short;
    case RTLONG: return ResValKind::Long;
    case RTSTR:
    case RTDXF0: return ResValKind::String;
    case RTENAME:
    case RTPICKS: return ResValKind::Name;
    case RTNONE:
    case RTVOID:
    case RTLB:
    case RTLE:
    case RTDOTE:
    case RTNIL:
    case RTT:
    case RTRESBUF: return ResValKind::None;
    default: break;
    }
    if (restype == -3 || restype == -5) return ResValKind::None;
    using NUVAcad::TagType;
    switch (NUVAcad::tagTypeOf(restype)) {
    case TagType::String: return ResValKind::String;
    case TagType::Handle: return ResValKind::Handle;
    case TagType::Real: return ResValKind::Real;
    case TagType::Point: return ResValKind::Point;
    case TagType::Id: return ResValKind::Name;
    case TagType::Binary: return ResValKind::Binary;
    case TagType::Int:
        if ((restype >= 90 && restype <= 99) || (restype >= 420 && restype <= 459) || restype == 1071)
            return ResValKind::Long;
        if (restype >= 160 && restype <= 169) return ResValKind::Int64;
        return ResValKind::Short;
    }
    return ResValKind::None;
}

resbuf* acutNewRb(int restype) {
    auto* rb = static_cast<resbuf*>(std::calloc(1, sizeof(resbuf)));
    if (!rb) return nullptr;
    rb->restype = static_cast<short>(restype);
    return rb;
}

int acutRelRb(resbuf* rb) {
    while (rb) {
        resbuf* next = rb->rbnext;
        switch (acutResValKind(rb->restype)) {
        case ResValKind::String:
        case ResValKind::Handle: std::free(rb->resval.rstring); break;
        case ResValKind::Binary: std::free(rb->resval.rbinary.buf); break;
        default: break;
        }
        std::free(rb);
        rb = next;
    }
    return RTNORM;
}

char* acutNewString(const char* s) {
    if (!s) s = "";
    size_t n = std::strlen(s) + 1;
    auto* p = static_cast<char*>(std::malloc(n));
    if (p) std::memcpy(p, s, n);
    return p;
}

void acutDelString(char*& s) {
    std::free(s);
    s = nullptr;
}

resbuf* acutBuildList(int restype, ...) {
    va_list ap;
    va_start(ap, restype);
    resbuf* head = nullptr;
    resbuf** tail = &head;
    for (int type = restype; type != 0; type = va_arg(ap, int)) {
        resbuf* rb = acutNewRb(type);
        if (!rb) {
            acutRelRb(head);
            va_end(ap);
            return nullptr;
        }
        *tail = rb;
        tail = &rb->rbnext;
        switch (acutResValKind(type)) {
        case ResValKind::Real: rb->resval.rreal = va_arg(ap, double); break;
        case ResValKind::Point: {
            const double* p = va_arg(ap, const double*);
            for (int k = 0; k < 3; ++k) rb->resval.rpoint[k] = p ? p[k] : 0.0;
            if (type == RTPOINT) rb->resval.rpoint[2] = 0.0;
            break;
        }
        case ResValKind::Short: rb->resval.rint = static_cast<short>(va_arg(ap, int)); break;
        // Callers pass 32-bit values as int or long; the low 32 bits are the value either way.
        case ResValKind::Long: rb->resval.rlong = va_arg(ap, int); break;
        case ResValKind::Int64: rb->resval.mnInt64 = va_arg(ap, int64_t); break;
        case ResValKind::String:
        case ResValKind::Handle: rb->resval.rstring = acutNewString(va_arg(ap, const char*)); break;
        case ResValKind::Name: {
            const long* n = va_arg(ap, const long*);
            rb->resval.rlname[0] = n ? n[0] : 0;
            rb->resval.rlname[1] = n ? n[1] : 0;
            break;
        }
        case ResValKind::Binary: {
            const ads_binary* b = va_arg(ap, const ads_binary*);
            short n = b ? b->clen : 0;
            rb->resval.rbinary.clen = n;
            rb->resval.rbinary.buf = static_cast<char*>(std::malloc(n > 0 ? n : 1));
            if (n > 0) std::memcpy(rb->resval.rbinary.buf, b->buf, static_cast<size_t>(n));
            break;
        }
        case ResValKind::None: break;
        }
    }
    va_end(ap);
    return head;
}

resbuf* acutCopyRb(const resbuf* rb) {
    resbuf* head = nullptr;
    resbuf** tail = &head;
    for (; rb; rb = rb->rbnext) {
        resbuf* c = acutNewRb(rb->restype);
        c->resval = rb->resval;
        switch (acutResValKind(rb->restype)) {
        case ResValKind::String:
        case ResValKind::Handle: c->resval.rstring = rb->resval.rstring ? acutNewString(rb->resval.rstring) : nullptr; break;
        case ResValKind::Binary: {
            short n = rb->resval.rbinary.clen;
            c->resval.rbinary.buf = static_cast<char*>(std::malloc(n > 0 ? n : 1));
            if (n > 0) std::memcpy(c->resval.rbinary.buf, rb->resval.rbinary.buf, static_cast<size_t>(n));
            break;
        }
        default: break;
        }
        *tail = c;
        tail = &c->rbnext;
    }
    return head;
}
