// The page around the show: the start screen (the question over the loading picture, the
// download of the data set with its progress), the program started with the flags of the
// address, its message boxes and end screen as elements of the page, and a sentence on the
// page for whatever stops it. The program's side of this is platform/page.cpp, which reads
// and calls Module.page.
//
// The address takes the show's flags as parameters: ?from=MS, ?scene=N, ?controls, ?loop,
// ?resolution=WxH (or auto, the default), and for tests and benchmarks ?still=MS and ?bench.
// Nothing from the address reaches the document except as text.
'use strict';

(function () {
  var PARAMETERS = ['from', 'scene', 'controls', 'loop', 'resolution', 'still', 'bench', 'exact'];
  var PAGE_USAGE =
    'The page takes the show\'s flags in its address:\n' +
    '  ?from=MS          start at MS milliseconds (0 to 183999)\n' +
    '  ?scene=N          start at scene N (1 to 10)\n' +
    '  ?controls         keys while playing: Space pause, Right/Left 5 s, Page Down/Up scene, Home 0\n' +
    '  ?loop             start again from 0 at the end\n' +
    '  ?resolution=WxH   draw the picture for a WxH screen (at least 320x240), or auto: for the\n' +
    '                    window\'s own pixels (the default)\n' +
    'e.g. index.html?scene=4&controls';

  var byId = function (id) { return document.getElementById(id); };
  var canvas = byId('canvas');
  var start = byId('start');

  // What the tests and the benchmark read: window.showPage.
  var state = {
    state: 'loading',            // loading, question, playing, dialog, ended, still, bench, error
    message: '',
    frames: 0,                   // frames presented
    clickMs: -1,                 // when the start question was answered (performance.now)
    firstFrameMs: -1,            // when the first frame of the show was presented
    clickToFirstFrameMs: -1,
    still: null,                 // {width, height, rgb} in still mode, rows bottom first
    bench: null,                 // the figures of ?bench
    exitCode: null,
    stillBase64: function () {
      if (!state.still) return '';
      var rgb = state.still.rgb, text = '', step = 0x8000;
      for (var i = 0; i < rgb.length; i += step)
        text += String.fromCharCode.apply(null, rgb.subarray(i, i + step));
      return btoa(text);
    },
    // The sound mixed since the music started or last moved: where it started (frames of
    // 44100 Hz), how many frames, and the sum of the squares of every sample.
    sound: function () {
      if (!runtimeReady) return null;
      return { from: Module._soundMixedFrom(), frames: Module._soundMixedFrames(),
               squares: Module._soundMixedSquares() };
    }
  };
  window.showPage = state;

  // ---- sentences on the page ----------------------------------------------------------------
  var stopped = false;
  function showMessage(sentence, details) {
    if (stopped) return;
    stopped = true;
    state.state = 'error';
    state.message = sentence;
    for (var id of ['start', 'dialog', 'end']) byId(id).hidden = true;
    var box = byId('message');
    box.querySelector('.sentence').textContent = sentence;
    box.querySelector('.details').textContent = details || '';
    box.hidden = false;
    document.body.classList.remove('playing');
    if (document.fullscreenElement && document.exitFullscreen) document.exitFullscreen().catch(function () {});
  }

  // ---- the flags from the address ----------------------------------------------------------
  function flagsFromAddress() {
    var flags = [];
    var query = new URLSearchParams(window.location.search);
    var resolution = false;
    query.forEach(function (value, name) {
      if (PARAMETERS.indexOf(name) < 0) return;
      if (name === 'resolution') resolution = true;
      // A switch takes no value; one given ("?loop=0") goes to the program, which refuses it.
      flags.push(value === '' && ['controls', 'loop', 'bench', 'exact'].indexOf(name) >= 0
        ? '--' + name : '--' + name + '=' + value);
    });
    if (!resolution) flags.push('--resolution=auto');
    return flags;
  }
  var flags = flagsFromAddress();
  var stillMode = flags.some(function (f) { return f.indexOf('--still') === 0; });
  var benchMode = flags.indexOf('--bench') >= 0;

  // ---- WebGL2 --------------------------------------------------------------------------------
  function hasWebGl2() {
    try {
      return !!document.createElement('canvas').getContext('webgl2');
    } catch (e) {
      return false;
    }
  }
  if (!window.WebAssembly || !hasWebGl2()) {
    showMessage('This browser cannot play the show: it needs WebGL2 and WebAssembly, which it ' +
                'does not offer (or has switched off).');
    return;
  }
  canvas.addEventListener('webglcontextlost', function (event) {
    event.preventDefault();
    showMessage('The browser took the show\'s WebGL context away (the graphics driver was reset ' +
                'or ran short of memory): reload the page to play again.');
  });

  // ---- the data set --------------------------------------------------------------------------
  var GZIP = [0x1f, 0x8b];
  var files = [];                // {name, bytes} once downloaded
  var stored = 0, received = 0;
  var runtimeReady = false;

  function progress() {
    var share = stored > 0 ? Math.min(1, received / stored) : 0;
    start.querySelector('.bar').style.width = (share * 100).toFixed(1) + '%';
    start.querySelector('.progress').setAttribute('aria-valuenow', Math.round(share * 100));
    start.querySelector('.progress-text').textContent = share < 1
      ? 'Loading ' + (received / 1e6).toFixed(1) + ' of ' + (stored / 1e6).toFixed(1) + ' MB'
      : (state.startAnswer < 0 ? 'Loaded' : 'Starting');
  }

  // The whole body of a response, counted into the progress bar as it arrives.
  async function readCounted(response) {
    if (!response.body) {
      var whole = new Uint8Array(await response.arrayBuffer());
      received += whole.length;
      progress();
      return whole;
    }
    var reader = response.body.getReader(), parts = [], length = 0;
    for (;;) {
      var chunk = await reader.read();
      if (chunk.done) break;
      parts.push(chunk.value);
      length += chunk.value.length;
      received += chunk.value.length;
      progress();
    }
    var bytes = new Uint8Array(length), at = 0;
    for (var part of parts) {
      bytes.set(part, at);
      at += part.length;
    }
    return bytes;
  }

  // Compressed or plain is told by the bytes: a server may have undone its own encoding.
  async function unpack(bytes) {
    if (bytes.length < 2 || bytes[0] !== GZIP[0] || bytes[1] !== GZIP[1]) return bytes;
    if (!window.DecompressionStream) throw new Error('no DecompressionStream');
    var stream = new Blob([bytes]).stream().pipeThrough(new DecompressionStream('gzip'));
    return new Uint8Array(await new Response(stream).arrayBuffer());
  }

  function httpProblem(response) {
    return 'HTTP ' + response.status + (response.statusText ? ' ' + response.statusText : '');
  }

  async function fetchFile(entry) {
    var response;
    try {
      response = await fetch('data/' + encodeURIComponent(entry.path));
    } catch (e) {
      throw new Error('The data file "' + entry.name + '" could not be downloaded (the server did ' +
                      'not answer).');
    }
    if (!response.ok)
      throw new Error('The data file "' + entry.name + '" is missing from the server (' +
                      httpProblem(response) + ').');
    var bytes;
    try {
      bytes = await unpack(await readCounted(response));
    } catch (e) {
      throw new Error('The data file "' + entry.name + '" arrived damaged and could not be unpacked.');
    }
    if (typeof entry.size === 'number' && bytes.length !== entry.size)
      throw new Error('The data file "' + entry.name + '" arrived with ' + bytes.length + ' bytes ' +
                      'instead of ' + entry.size + '.');
    return bytes;
  }

  // The loading picture (RGBA, its first row at the top, as the show draws it), drawn 4:3.
  function drawLoadingPicture(bytes) {
    var picture = byId('loading-picture');
    var width = picture.width, height = picture.height;
    if (bytes.length !== width * height * 4) return;
    var context = picture.getContext('2d');
    var image = context.createImageData(width, height);
    image.data.set(bytes);
    for (var i = 3; i < image.data.length; i += 4) image.data[i] = 255;
    context.putImageData(image, 0, 0);
  }

  async function loadDataSet() {
    var response;
    try {
      response = await fetch('data/files.json');
    } catch (e) {
      throw new Error('The show\'s data set could not be downloaded (the server did not answer).');
    }
    if (!response.ok)
      throw new Error('The show\'s data set is missing from the server (data/files.json: ' +
                      httpProblem(response) + ').');
    var manifest;
    try {
      manifest = await response.json();
    } catch (e) {
      throw new Error('The list of the show\'s data files (data/files.json) is damaged.');
    }
    var entries = manifest.files || [];
    stored = manifest.stored || 0;
    progress();
    // The loading picture first, then the rest a few at a time.
    var queue = entries.slice();
    var first = queue.shift();
    if (first) {
      var bytes = await fetchFile(first);
      files.push({ name: first.name, bytes: bytes });
      if (first.name === 'loading_1024x512.raw') drawLoadingPicture(bytes);
    }
    async function worker() {
      for (var entry; (entry = queue.shift());) files.push({ name: entry.name, bytes: await fetchFile(entry) });
    }
    await Promise.all([worker(), worker(), worker(), worker()]);
  }

  // Into the program's file system once both are there: the runtime and the files.
  var dataDownloaded = false;
  function writeDataSet() {
    if (!runtimeReady || !dataDownloaded || state.dataState !== 0) return;
    try {
      FS.mkdir('/data');
      for (var file of files) FS.writeFile('/data/' + file.name, file.bytes);
    } catch (e) {
      state.dataState = -1;
      showMessage('The show\'s data set does not fit in this browser\'s memory.');
      return;
    }
    files = [];
    state.dataState = 1;
    progress();
  }

  // ---- the start question ------------------------------------------------------------------
  state.dataState = 0;           // 1 once the data set is in data/, -1 when it cannot be
  state.startAnswer = -1;        // 1 Yes, 0 No
  function answer(yes) {
    if (state.startAnswer >= 0 || stopped) return;
    state.startAnswer = yes ? 1 : 0;
    state.clickMs = performance.now();
    // Sound may start only from a click or key: the program's audio device uses this context.
    try {
      var Context = window.AudioContext || window.webkitAudioContext;
      if (Context) {
        var audio;
        try {
          audio = new Context({ sampleRate: 44100 });
        } catch (e) {
          audio = new Context();
        }
        Module.SDL2 = Module.SDL2 || {};
        Module.SDL2.audioContext = audio;
        if (audio.resume) audio.resume();
      }
    } catch (e) { /* the show plays silent */ }
    if (yes && document.documentElement.requestFullscreen)
      document.documentElement.requestFullscreen().then(function () { enteredFullscreen = true; })
        .catch(function () {});
    for (var id of ['yes', 'no']) byId(id).disabled = true;
    start.querySelector('.question').textContent = yes ? 'Fullscreen' : 'In the window';
    progress();
  }
  byId('yes').addEventListener('click', function () { answer(true); });
  byId('no').addEventListener('click', function () { answer(false); });

  // ---- the program's message boxes and end screen ------------------------------------------
  var dialog = byId('dialog');
  function closeDialog(value) {
    dialog.hidden = true;
    state.state = 'playing';
    state.dialogAnswer = value;
  }
  state.dialogAnswer = -1;
  function openDialog(caption, text, yesNo) {
    state.dialogAnswer = -1;
    state.state = 'dialog';
    dialog.querySelector('.caption').textContent = caption;
    dialog.querySelector('.text').textContent = text;
    var buttons = dialog.querySelector('.buttons');
    buttons.textContent = '';
    (yesNo ? [['Yes', 1], ['No', 0]] : [['OK', 0]]).forEach(function (pair) {
      var button = document.createElement('button');
      button.type = 'button';
      button.textContent = pair[0];
      button.addEventListener('click', function () { closeDialog(pair[1]); });
      buttons.appendChild(button);
      buttons.appendChild(document.createTextNode(' '));
    });
    dialog.hidden = false;
    buttons.querySelector('button').focus();
  }

  var playAgain = false;
  function showEndScreen() {
    state.state = 'ended';
    document.body.classList.remove('playing');
    byId('end').hidden = false;
    byId('again').focus();
  }
  byId('again').addEventListener('click', function () {
    if (state.state !== 'ended') return;
    byId('end').hidden = true;
    document.body.classList.add('playing');
    state.state = 'playing';
    playAgain = true;
  });

  // ---- keys ----------------------------------------------------------------------------------
  // The show's keys do nothing else on the page (no scrolling); Return and Escape answer the
  // page's own questions.
  var SHOW_KEYS = [' ', 'Spacebar', 'ArrowLeft', 'ArrowRight', 'ArrowUp', 'ArrowDown', 'PageUp',
                   'PageDown', 'Home', 'End', 'Escape', 'Enter', 'Tab'];
  window.addEventListener('keydown', function (event) {
    if (SHOW_KEYS.indexOf(event.key) >= 0) event.preventDefault();
    if (event.repeat) return;
    if (!start.hidden && state.startAnswer < 0) {
      if (event.key === 'Enter') answer(true);
      if (event.key === 'Escape') answer(false);
    } else if (!dialog.hidden) {
      if (event.key === 'Enter') closeDialog(dialog.querySelectorAll('button').length > 1 ? 1 : 0);
      if (event.key === 'Escape') closeDialog(0);
    } else if (state.state === 'ended' && event.key === 'Enter') {
      byId('again').click();
    }
  }, true);

  // Leaving fullscreen takes the browser's Escape: the show hears it as Escape all the same.
  var enteredFullscreen = false;
  document.addEventListener('fullscreenchange', function () {
    if (document.fullscreenElement || !enteredFullscreen) return;
    enteredFullscreen = false;
    if (state.state === 'playing' && runtimeReady) Module._pageEscapePressed();
  });

  // ---- the program ---------------------------------------------------------------------------
  var errorLines = [];
  window.Module = {
    canvas: canvas,
    noInitialRun: true,
    print: function (line) { console.log(line); },
    printErr: function (line) {
      console.error(line);
      errorLines.push(line);
      if (errorLines.length > 100) errorLines.shift();
    },
    locateFile: function (name) { return name; },
    onRuntimeInitialized: function () {
      runtimeReady = true;
      writeDataSet();
      try {
        Module.callMain(flags);
      } catch (e) {
        if (!(e && e.name === 'ExitStatus')) throw e;
      }
    },
    onExit: function (code) { programEnded(code); },
    onAbort: function (what) {
      if (!runtimeReady)
        showMessage('The show\'s program (show.wasm) could not be downloaded or started.', String(what || ''));
      else
        showMessage('The show stopped on a fault of its own.', String(what || ''));
    },
    page: {
      get dataState() { return state.dataState; },
      get startAnswer() { return state.startAnswer; },
      get dialogAnswer() { return state.dialogAnswer; },
      openDialog: openDialog,
      showEndScreen: showEndScreen,
      takePlayAgain: function () {
        var pressed = playAgain;
        playAgain = false;
        return pressed;
      },
      keepStill: function (rgb, width, height) {
        state.still = { width: width, height: height, rgb: rgb };
        state.state = 'still';
      },
      keepBench: function (json) {
        state.bench = JSON.parse(json);
        state.bench.clickToFirstFrameMs = state.clickToFirstFrameMs;
        state.state = 'bench';
      },
      framePresented: function () {
        state.frames++;
        if (state.firstFrameMs < 0 && state.clickMs >= 0) {
          state.firstFrameMs = performance.now();
          state.clickToFirstFrameMs = state.firstFrameMs - state.clickMs;
        }
        if (start.hidden === false) {
          start.hidden = true;
          document.body.classList.add('playing');
          if (state.state === 'question' || state.state === 'loading') state.state = 'playing';
        }
      }
    }
  };

  // The program's exit codes (app/app.h): 0 the show (or a still, a benchmark) ended, 1 no
  // window or GL context, 2 a bad flag, 3 no data set, 4 the GL driver lacks what the show
  // needs, 5 the display went away.
  function programEnded(code) {
    state.exitCode = code;
    if (code === 0 || stopped) return;
    var said = errorLines.filter(function (line) { return /^show: /.test(line); });
    var last = said.length ? said[said.length - 1].replace(/^show: /, '') : '';
    if (code === 2) {
      var first = errorLines.find(function (line) { return /^show: /.test(line); }) || '';
      showMessage('The address asks for something the show does not take: ' +
                  first.replace(/^show: /, '') + '.', PAGE_USAGE);
    } else if (code === 4) {
      showMessage('This browser\'s WebGL2 lacks what the show needs to draw' + (last ? ': ' + last : '') + '.');
    } else if (code === 3) {
      showMessage('The show\'s data set could not be loaded.');
    } else {
      showMessage('The show could not start' + (last ? ': ' + last : '') + '.');
    }
  }

  // ---- start ---------------------------------------------------------------------------------
  start.hidden = false;
  state.state = 'question';
  progress();
  // Still and benchmark runs answer the question themselves: a window, no fullscreen.
  if (stillMode || benchMode) answer(false);
  loadDataSet().then(function () {
    dataDownloaded = true;
    writeDataSet();
  }, function (error) {
    state.dataState = -1;
    showMessage(error.message);
  });
  var script = document.createElement('script');
  script.src = 'show.js';
  script.onerror = function () {
    showMessage('The show\'s program (show.js) could not be downloaded from the server.');
  };
  document.body.appendChild(script);
})();
