// Режим наблюдения: ждёт от сервера ответа на '/wait' и перезагружает страницу после
// перекомпиляции. Вкладки одного браузера ждут вместе: спрашивает одна, та, что держит замок
// 'лус-опрос', а весть о перекомпиляции с номером свежей сборки передаёт остальным по
// BroadcastChannel, так что на все вкладки приходится одно соединение. Сервер отвечает сразу,
// если сборка этой страницы уже не та, что он раздаёт.
(function () {
  var сборка = '__LUM_BUILD__';
  var уходим = false;
  var канал = null;
  function перезагрузить() {
    уходим = true;
    location.reload();
  }
  try {
    канал = new BroadcastChannel('лус-перекомпиляция');
    канал.onmessage = function (весть) {
      // Страница свежей сборки остаётся; весть без номера перезагружает всех.
      if (весть.data !== сборка) перезагрузить();
    };
  } catch (ошибка) {
    канал = null;
  }
  function оповестить() {
    fetch('/notes', { cache: 'no-store' }).then(function (ответ) {
      return ответ.json();
    }).then(function (данные) {
      return данные.build;
    }, function () {
      return null;
    }).then(function (свежая) {
      канал.postMessage(свежая);
      перезагрузить();
    });
  }
  function лусОпрос() {
    // Вкладка, которая уже перезагружается, больше не спрашивает.
    if (уходим) return;
    fetch('/wait?build=' + сборка, { cache: 'no-store' }).then(function (ответ) {
      if (ответ.status === 200) {
        if (канал) оповестить();
        else location.reload();
      } else {
        setTimeout(лусОпрос, 800);
      }
    }, function () {
      setTimeout(лусОпрос, 1200);
    });
  }
  // Без замков (старый браузер, страница из файла) каждая вкладка спрашивает сама.
  try {
    if (!канал || !navigator.locks) throw new Error('без замков');
    navigator.locks.request('лус-опрос', function () {
      лусОпрос();
      return new Promise(function () {});
    }).catch(лусОпрос);
  } catch (ошибка) {
    лусОпрос();
  }
})();
