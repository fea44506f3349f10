// Fixed-point affine transforms: mapping, composing, building from a pose and
// inverting. Every product and sum wraps in 32 bits like the handheld's
// registers, and every Q14 product is shifted as soon as it is formed, so the
// order of the steps decides the low bits of the results.
#include "geometry/transform.h"

#include "geometry/fixed.h"
#include "geometry/sincos.h"

// (a*x + b*y) >> 14 in 32 bits, the shift arithmetic.
static int32_t DotQ14(int32_t a, int32_t x, int32_t b, int32_t y) {
    return Add32(Mul32(a, x), Mul32(b, y)) >> kQ14Shift;
}

// m := m x n as 2 x 3 affine matrices, rows (a, b, tx) and (c, d, ty).
// Every right-hand side reads m's old a..d.
void ComposeTransform(Transform* m, const Transform& n) {
    const Transform o = *m;
    m->a = DotQ14(o.a, n.a, o.b, n.c);
    m->b = DotQ14(o.a, n.b, o.b, n.d);
    m->c = DotQ14(o.c, n.a, o.d, n.c);
    m->d = DotQ14(o.c, n.b, o.d, n.d);
    m->tx = Add32(o.tx, DotQ14(o.a, n.tx, o.b, n.ty));
    m->ty = Add32(o.ty, DotQ14(o.c, n.tx, o.d, n.ty));
}

// Screen centre, then scale, then rotation, then the pose offset in drawing
// units; four compositions, each truncating, in exactly this order.
Transform BuildTransform(const Pose& pose) {
    Transform m = {kOneQ14, 0, 0, kOneQ14, kScreenCentreX, kScreenCentreY};
    ComposeTransform(&m, Transform{pose.scale, 0, 0, pose.scale, 0, 0});
    const SinCosValue sc = SinCos(pose.angle);
    ComposeTransform(&m, Transform{sc.cos, -sc.sin, sc.sin, sc.cos, 0, 0});
    ComposeTransform(&m, Transform{kOneQ14, 0, 0, kOneQ14, pose.x, pose.y});
    return m;
}

// det is taken in Q14 after one shift, so the inverse of a small scale is
// only close to its reciprocal: the view at 1638 inverts to 164644, not
// 163840. The divisions truncate toward zero.
bool InvertTransform(const Transform& t, Transform* out) {
    const int32_t det = Sub32(Mul32(t.d, t.a), Mul32(t.c, t.b)) >> kQ14Shift;
    if (det == 0) return false;
    Transform inv;
    inv.a = Div32(Shl32(t.d, kQ14Shift), det);
    inv.b = Sub32(0, Div32(Shl32(t.b, kQ14Shift), det));
    inv.c = Sub32(0, Div32(Shl32(t.c, kQ14Shift), det));
    inv.d = Div32(Shl32(t.a, kQ14Shift), det);
    inv.tx = Sub32(0, Add32(Mul32(inv.b, t.ty), Mul32(t.tx, inv.a)) >> kQ14Shift);
    inv.ty = Sub32(0, Add32(Mul32(inv.d, t.ty), Mul32(inv.c, t.tx)) >> kQ14Shift);
    *out = inv;
    return true;
}
