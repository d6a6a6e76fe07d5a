// Runs the page's benchmark mode (index.html?bench) in headless Chromium and prints its
// figures as CSV: "scene,N,ms" per scene (the median frame, each ended by a read-back), then
// "click_to_first_frame,,ms". Usage: node page_bench.js URL [swiftshader | llvmpipe]
// WebGL2 through ANGLE on SwiftShader (the default, as the browser tests), or on Mesa's
// llvmpipe (ANGLE over EGL), the rasteriser the native figures come from.
// puppeteer-core comes from tests/web (npm ci there); the browser is Debian's chromium.
'use strict';
const path = require('path');
const puppeteer = require(path.join(__dirname, '../../tests/web/node_modules/puppeteer-core'));

(async () => {
  const url = process.argv[2];
  const rasteriser = process.argv[3] || 'swiftshader';
  const angle = rasteriser === 'llvmpipe' ? ['--use-angle=gl-egl', '--ignore-gpu-blocklist']
                                          : ['--use-angle=swiftshader', '--enable-unsafe-swiftshader'];
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', ...angle, '--autoplay-policy=no-user-gesture-required', '--window-size=1024,768']
  });
  try {
    const page = await browser.newPage();
    await page.setViewport({ width: 1024, height: 768, deviceScaleFactor: 1 });
    await page.goto(url + (url.includes('?') ? '&' : '?') + 'bench&resolution=1024x768');
    await page.waitForFunction(() => window.showPage && (showPage.state === 'bench' || showPage.state === 'error'),
                               { timeout: 900000, polling: 1000 });
    const result = await page.evaluate(() => ({ bench: showPage.bench, message: showPage.message,
                                                renderer: (() => {
                                                  const gl = document.createElement('canvas').getContext('webgl2');
                                                  const info = gl && gl.getExtension('WEBGL_debug_renderer_info');
                                                  return info ? gl.getParameter(info.UNMASKED_RENDERER_WEBGL) : '';
                                                })() }));
    if (rasteriser === 'llvmpipe' && !/llvmpipe/.test(result.renderer))
      throw new Error('WebGL2 is not on llvmpipe here (' + result.renderer + ')');
    if (!result.bench) throw new Error('the page stopped: ' + result.message);
    for (const scene of result.bench.scenes) console.log(`scene,${scene.scene},${scene.ms}`);
    console.log(`click_to_first_frame,,${result.bench.clickToFirstFrameMs}`);
  } finally {
    await browser.close();
  }
})().catch((error) => {
  console.error('page_bench: ' + error.message);
  process.exit(1);
});
