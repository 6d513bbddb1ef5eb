// The GLSL 1.20 sources of the ray-cast sphere program.
#include "sphere_shaders.h"

// A sphere is drawn as a point sprite covering its projection when it lies
// wholly in view and is small enough for the driver's points, else as a quad
// across the line of sight at its centre, just large enough to hold the cone
// of rays that touch it, counter-clockwise as the eye sees it.
const char* const kSphereVertexShader = R"(#version 120
attribute vec4 sphere;
attribute vec4 colour;
attribute vec2 corner;
uniform bool sprites;
uniform vec2 viewportSize;
varying vec3 centre;
varying float radius;
varying vec4 surfaceColour;
// The span, in normalised device units, of the rays from the eye that touch
// the circle of radius r around (x, z) in one axis's plane.
vec2 Span(float x, float z, float r, float scale, float shift) {
    float l = sqrt(max(x * x + z * z - r * r, 0.0));
    vec2 a = vec2(x * l - z * r, x * r + z * l);
    vec2 b = vec2(x * l + z * r, -x * r + z * l);
    float p = scale * a.x / -a.y - shift;
    float q = scale * b.x / -b.y - shift;
    return vec2(min(p, q), max(p, q));
}
void main() {
    vec3 c = (gl_ModelViewMatrix * vec4(sphere.xyz, 1.0)).xyz;
    float r = sphere.w;
    centre = c;
    radius = r;
    surfaceColour = colour;
    if (sprites) {
        mat4 p = gl_ProjectionMatrix;
        vec2 sx = Span(c.x, c.z, r, p[0][0], p[2][0]);
        vec2 sy = Span(c.y, c.z, r, p[1][1], p[2][1]);
        vec4 clip = p * vec4(c, 1.0);
        gl_Position = vec4(0.5 * vec2(sx.x + sx.y, sy.x + sy.y) * clip.w, clip.z, clip.w);
        gl_PointSize = 0.5 * max((sx.y - sx.x) * viewportSize.x, (sy.y - sy.x) * viewportSize.y) + 2.0;
        return;
    }
    float d = length(c);
    vec3 axis = d > 0.0 ? c / d : vec3(0.0, 0.0, -1.0);
    vec3 up = abs(axis.y) < 0.9 ? vec3(0.0, 1.0, 0.0) : vec3(1.0, 0.0, 0.0);
    vec3 u = normalize(cross(up, axis));
    vec3 v = cross(u, axis);
    // The eye inside the sphere sees only its inner side, which is culled.
    float tangent2 = d * d - r * r;
    float extent = tangent2 > 0.0 ? min(r * d / sqrt(tangent2), 1.0e6) : 0.0;
    gl_Position = gl_ProjectionMatrix * vec4(c + extent * (corner.x * u + corner.y * v), 1.0);
}
)";

// The fixed pipeline's lighting equation, per pixel, for lights 0 and 1:
// colour material makes the colour the ambient and diffuse reflectance, the
// half vector takes the viewer at infinity, positional lights attenuate.
// lightKind says what a light gives (sphere_program.cpp), so the work for
// terms that are zero is skipped, and attenuated says whether a light's
// distance weakens it. The ray through a pixel and the depth of a point come
// from the projection (rayFromPixel, depthRow, wRow: sphere_program.cpp). edge 0 cuts
// the rim at the pixel centre; 1 gives the rim's coverage as alpha
// (multisample coverage); 2 fades a blended sphere's alpha at its rim.
const char* const kSphereFragmentShader = R"(#version 120
uniform int lightKind[2];
uniform bool attenuated[2];
uniform int edge;
uniform mat3 rayFromPixel;
uniform vec4 depthRow;
uniform vec4 wRow;
varying vec3 centre;
varying float radius;
varying vec4 surfaceColour;
void main() {
    vec3 ray = normalize(rayFromPixel * vec3(gl_FragCoord.xy, 1.0));
    float along = dot(ray, centre);
    float off2 = max(dot(centre, centre) - along * along, 0.0);
    float r2 = radius * radius;
    float coverage = 1.0;
    if (edge == 0) {
        if (off2 > r2) discard;
    } else {
        float off = sqrt(off2);
        coverage = clamp((radius - off) / max(fwidth(off), 1.0e-6) + 0.5, 0.0, 1.0);
        if (coverage <= 0.0) discard;
    }
    float t = along - sqrt(max(r2 - off2, 0.0));
    if (t <= 0.0) discard;
    vec3 hit = t * ray;
    float z = dot(depthRow, vec4(hit, 1.0)) / dot(wRow, vec4(hit, 1.0));
    if (z < -1.0 || z > 1.0) discard;
    gl_FragDepth = 0.5 * (gl_DepthRange.diff * z + gl_DepthRange.near + gl_DepthRange.far);

    vec3 n = (hit - centre) / radius;
    vec3 base = surfaceColour.rgb;
    vec3 sum = gl_FrontMaterial.emission.rgb + base * gl_LightModel.ambient.rgb;
    for (int i = 0; i < 2; ++i) {
        if (lightKind[i] == 0) continue;
        vec3 lit = base * gl_LightSource[i].ambient.rgb;
        float attenuation = 1.0;
        if (lightKind[i] >= 2 || attenuated[i]) {
            vec4 position = gl_LightSource[i].position;
            vec3 toLight = position.xyz - position.w * hit;
            float distance = length(toLight);
            vec3 l = toLight / max(distance, 1.0e-20);
            if (attenuated[i])
                attenuation = 1.0 / (gl_LightSource[i].constantAttenuation +
                                     gl_LightSource[i].linearAttenuation * distance +
                                     gl_LightSource[i].quadraticAttenuation * distance * distance);
            if (lightKind[i] >= 2) {
                float diffuse = max(dot(n, l), 0.0);
                lit += diffuse * base * gl_LightSource[i].diffuse.rgb;
                if (lightKind[i] == 3 && diffuse > 0.0) {
                    float highlight = max(dot(n, normalize(l + vec3(0.0, 0.0, 1.0))), 0.0);
                    lit += pow(highlight, gl_FrontMaterial.shininess) *
                           gl_FrontMaterial.specular.rgb * gl_LightSource[i].specular.rgb;
                }
            }
        }
        sum += attenuation * lit;
    }
    float alpha = edge == 1 ? coverage : surfaceColour.a * (edge == 2 ? coverage : 1.0);
    gl_FragColor = vec4(clamp(sum, 0.0, 1.0), alpha);
}
)";
