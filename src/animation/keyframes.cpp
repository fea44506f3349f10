// Keyframes: one pose per (actor, frame) pair, kept in creation order, and the
// linear interpolation that poses every keyed actor for a frame.
#include "animation/stage.h"

// The next-key frame an actor starts each interpolation with: keys at or
// beyond it never bound a frame from above.
constexpr int32_t kNoNextFrame = 1000;

bool SetKey(Stage& st, int16_t actor, uint16_t frame, const Pose& pose) {
    int32_t k = 0;
    while (k < st.key_count && !(st.keys[k].frame == frame && st.keys[k].actor == actor)) ++k;
    if (k == st.key_count) {
        if (st.key_count >= kKeyCapacity) return false;
        st.key_count = static_cast<int16_t>(st.key_count + 1);
    }
    // Field by field: a key stores x, y, angle, scale; a pose angle, x, y, scale.
    Keyframe& key = st.keys[k];
    key.frame = frame;
    key.actor = actor;
    key.x = pose.x;
    key.y = pose.y;
    key.angle = pose.angle;
    key.scale = pose.scale;
    return true;
}

// (k1 * w + k2 * t) >> 16 with w + t = 65536, cut to 16 bits. The shift rounds
// toward minus infinity.
static int16_t Blend(int16_t k1, int16_t k2, int64_t w_q16, int64_t t_q16) {
    return static_cast<int16_t>((k1 * w_q16 + k2 * t_q16) >> 16);
}

// Two passes. First every key is matched against its actor: the last key at
// or before the frame (among equal frames the later key) and the first key
// after it (among equal frames the earlier key, and only below frame 1000).
// Then every actor with a key gets the pose between the two at weight
//   t = ((f - F1) << 16) / (F2 - F1)     (Q16, truncated toward zero)
// and an actor with keys on one side only gets that key's pose. Angles are
// plain numbers: no wrap at 3600, no shortest turn.
void InterpolateFrame(Stage& st, int32_t frame) {
    if (st.key_count <= 0) return;
    int32_t actor_count = st.actor_count < kActorCapacity ? st.actor_count : kActorCapacity;
    int32_t key_count = st.key_count < kKeyCapacity ? st.key_count : kKeyCapacity;

    for (int32_t i = 0; i < actor_count; ++i) {
        Actor& actor = st.actors[i];
        actor.previous_key_frame = 0;
        actor.next_key_frame = kNoNextFrame;
        actor.previous_key_index = -1;
        actor.next_key_index = -1;
    }

    for (int32_t k = 0; k < key_count; ++k) {
        const Keyframe& key = st.keys[k];
        // Keys of actors that do not exist (yet) are never applied.
        if (key.actor < 0 || key.actor >= actor_count) continue;
        Actor& actor = st.actors[key.actor];
        if (key.frame <= frame) {
            if (actor.previous_key_frame <= key.frame) {
                actor.previous_key_frame = key.frame;
                actor.previous_key_index = k;
            }
        } else if (actor.next_key_frame > key.frame) {
            actor.next_key_frame = key.frame;
            actor.next_key_index = k;
        }
    }

    for (int32_t i = 0; i < actor_count; ++i) {
        Actor& actor = st.actors[i];
        if (actor.previous_key_index < 0 && actor.next_key_index < 0) continue;
        if (actor.previous_key_index < 0) actor.previous_key_index = actor.next_key_index;
        if (actor.next_key_index < 0) actor.next_key_index = actor.previous_key_index;
        const Keyframe& k1 = st.keys[actor.previous_key_index];
        const Keyframe& k2 = st.keys[actor.next_key_index];

        // With a key on one side only, both ends are that key and any weight
        // gives its pose; t = 0 then, since F2 - F1 may be 0 or negative once
        // the key lies at or past frame 1000. Between two keys F1 <= f < F2,
        // so 0 <= t < 65536; 64 bits hold the shifted difference for any frame.
        int64_t t_q16 = 0;
        if (actor.previous_key_index != actor.next_key_index) {
            int64_t span = int64_t{actor.next_key_frame} - actor.previous_key_frame;
            t_q16 = (int64_t{frame} - actor.previous_key_frame) * 65536 / span;
        }
        int64_t w_q16 = 65536 - t_q16;

        actor.pose.x = Blend(k1.x, k2.x, w_q16, t_q16);
        actor.pose.y = Blend(k1.y, k2.y, w_q16, t_q16);
        actor.pose.angle = Blend(k1.angle, k2.angle, w_q16, t_q16);
        actor.pose.scale = Blend(k1.scale, k2.scale, w_q16, t_q16);
        UpdateActorTransform(actor);
    }
}
