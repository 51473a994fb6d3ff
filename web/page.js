// The page: a score in, the console, the note list and its piano roll out.
// The translation is the command's own, called through Module.translateScore.

// The note list keeps a score's names as they are: most are UTF-8, older
// ones are often Latin-1 (as Windows wrote them).
function morvaneText(bytes) {
  try {
    return new TextDecoder('utf-8', { fatal: true }).decode(bytes);
  } catch (e) {
    return new TextDecoder('windows-1252').decode(bytes);
  }
}

// A browser lays out every line of a text box before it shows any: a
// note list of a million lines takes it half a minute. A longer one is
// shown as far as this many characters, to a line's end; the download has
// all of it.
const kShownCharacters = 1 << 18;

function countLines(text) {
  let lines = 0;
  for (let at = text.indexOf('\n'); at !== -1; at = text.indexOf('\n', at + 1)) {
    ++lines;
  }
  return lines;
}

function morvanePageReady() {
  const fileInput = document.getElementById('score-file');
  const allTracks = document.getElementById('all-tracks');
  const stateLine = document.getElementById('state');
  const consoleBox = document.getElementById('console');
  const result = document.getElementById('result');
  const noteList = document.getElementById('note-list');
  const noteListCut = document.getElementById('note-list-cut');
  const download = document.getElementById('download');
  const roll = document.getElementById('roll');
  const summary = document.getElementById('summary');
  let score = null;  // { name, bytes } of the last score chosen
  let downloadUrl = null;
  let runs = 0;

  function show(message, failed) {
    stateLine.textContent = message;
    stateLine.classList.toggle('failed', failed);
  }

  // What the page says of a translated score: a hint where notes of tracks
  // without a name were passed over, naming the box that keeps them.
  function translatedMessage(r) {
    let message = score.name + ' translated.';
    if (r.passedOver > 0) {
      message += (r.notesKept === 0 ? ' No note was kept: ' : ' ') +
          r.passedOver.toLocaleString('en') +
          (r.passedOver === 1 ? ' note is' : ' notes are') +
          ' in tracks without a name; tick \u201cKeep every track with' +
          ' notes\u201d to keep them.';
    } else if (r.notesKept === 0) {
      message += ' It has no notes.';
    }
    return message;
  }

  function showResult(r) {
    consoleBox.textContent = morvaneText(r.console);
    if (downloadUrl !== null) URL.revokeObjectURL(downloadUrl);
    downloadUrl = null;
    if (r.status === 0) {
      const text = morvaneText(r.notes);
      if (text.length > kShownCharacters) {
        const shown = text.slice(0, text.lastIndexOf('\n', kShownCharacters) + 1);
        noteList.value = shown;
        noteListCut.textContent = 'The first ' +
            countLines(shown).toLocaleString('en') + ' of ' +
            countLines(text).toLocaleString('en') +
            ' lines are shown here; the download holds them all.';
        noteListCut.hidden = false;
      } else {
        noteList.value = text;
        noteListCut.hidden = true;
      }
      downloadUrl = URL.createObjectURL(
        new Blob([r.notes], { type: 'text/plain' }));
      download.href = downloadUrl;
      download.download = r.notesName;
      download.textContent = 'Download ' + r.notesName;
      // Our own SVG: every name in it is escaped.
      if (r.svg !== undefined) {
        roll.innerHTML = r.svg;
      } else {
        roll.textContent = '';
        const note = document.createElement('p');
        note.className = 'roll-note';
        note.textContent = r.rollTooLarge || r.summary;
        roll.appendChild(note);
      }
      summary.textContent = r.summary;
      result.hidden = false;
      show(translatedMessage(r), false);
    } else {
      clearResult();
      show(score.name + ' could not be translated: see the console.', true);
    }
  }

  function clearResult() {
    result.hidden = true;
    noteList.value = '';
    download.removeAttribute('href');
    roll.innerHTML = '';
    summary.textContent = '';
  }

  // A failure the translator does not catch (memory that runs out in the
  // glue, an abort) arrives as an exception: it is told, never left
  // behind "Reading...".
  function failureText(e) {
    const text = e instanceof Error ? e.message : String(e);
    return /memory|OOM|allocation/i.test(text) ? 'out of memory' : text;
  }

  function translate() {
    if (score === null) return;
    let status = 1;
    try {
      const r = Module.translateScore(score.name, score.bytes, allTracks.checked);
      status = r.status;
      showResult(r);
    } catch (e) {
      clearResult();
      consoleBox.textContent = '';
      show(score.name + ' could not be translated: ' + failureText(e) + '.',
           true);
    }
    document.body.dataset.runs = String(++runs);
    document.body.dataset.status = String(status);
  }

  function take(file) {
    show('Reading ' + file.name + '\u2026', false);
    file.arrayBuffer().then(function (buffer) {
      score = { name: file.name, bytes: new Uint8Array(buffer) };
      translate();
    }, function () {
      show(file.name + ' could not be read.', true);
    });
  }

  fileInput.addEventListener('change', function () {
    if (fileInput.files.length > 0) take(fileInput.files[0]);
  });
  allTracks.addEventListener('change', translate);

  // A score dropped anywhere on the page.
  document.addEventListener('dragover', function (e) {
    e.preventDefault();
    document.body.classList.add('dragging');
  });
  document.addEventListener('dragleave', function (e) {
    if (e.relatedTarget === null) document.body.classList.remove('dragging');
  });
  document.addEventListener('drop', function (e) {
    e.preventDefault();
    document.body.classList.remove('dragging');
    if (e.dataTransfer && e.dataTransfer.files.length > 0) {
      take(e.dataTransfer.files[0]);
    }
  });

  fileInput.disabled = false;
  show('Ready: choose a score.', false);
  document.body.dataset.ready = 'yes';
}
