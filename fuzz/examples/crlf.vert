varying vec3 t;
void main() {
  gl_Position = ftransform();
}
